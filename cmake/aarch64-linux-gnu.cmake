# Cross build for 64-bit ARM Linux (Raspberry Pi OS 64-bit, Debian arm64) with Debian's
# g++-aarch64-linux-gnu. The programs run here under qemu-user:
#   qemu-aarch64 -L /usr/aarch64-linux-gnu build/arm64/sim/dxsim --version
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TOOLCHAIN_PREFIX aarch64-linux-gnu)

find_program(CMAKE_C_COMPILER NAMES ${TOOLCHAIN_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOLCHAIN_PREFIX}-g++ REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(_qemu qemu-aarch64)
if(_qemu)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_qemu} -L /usr/${TOOLCHAIN_PREFIX})
endif()

# CLI11 and nlohmann/json are header-only and the same for every architecture: the build
# machine's packages serve the cross build too. (Their include directory is /usr/include; the
# cross compiler still takes its C library's headers from the same glibc release.)
foreach(package CLI11 nlohmann_json)
  if(EXISTS /usr/share/cmake/${package}/${package}Config.cmake)
    set(${package}_DIR /usr/share/cmake/${package} CACHE PATH "")
  endif()
endforeach()
