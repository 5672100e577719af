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
