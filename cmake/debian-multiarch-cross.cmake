# Shared by the Linux cross toolchain files: Debian's cross compiler for TOOLCHAIN_PREFIX (the
# GNU triplet, e.g. aarch64-linux-gnu) and the foreign architecture's libraries from Debian's
# multiarch packages (dpkg --add-architecture, then e.g. qt6-base-dev:arm64), which live under
# /usr/lib/<triplet> and /usr/include/<triplet> beside the build machine's own.
# QEMU_PROGRAM names the qemu-user binary that runs the programs here.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_LIBRARY_ARCHITECTURE ${TOOLCHAIN_PREFIX})

find_program(CMAKE_C_COMPILER NAMES ${TOOLCHAIN_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOLCHAIN_PREFIX}-g++ REQUIRED)

# The cross C library in /usr/<triplet>, and "/" for the multiarch packages: with the library
# architecture set, find_library and find_package look in /usr/lib/<triplet> and never in the
# build machine's /usr/lib/x86_64-linux-gnu.
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's code generators (moc, rcc, uic) run here: the build machine's qt6-base-dev provides them.
set(QT_HOST_PATH /usr CACHE PATH "")
execute_process(COMMAND dpkg-architecture -qDEB_HOST_MULTIARCH OUTPUT_VARIABLE _host_multiarch
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(_host_multiarch)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${_host_multiarch}/cmake CACHE PATH "")
endif()

# qemu-user runs the programs with one consistent C library: the multiarch one with its own
# loader when installed (the cross toolchain's copy is another build, and mixing the two hangs),
# otherwise the cross toolchain's.
find_program(_qemu ${QEMU_PROGRAM})
if(_qemu AND EXISTS /usr/lib/${TOOLCHAIN_PREFIX}/libc.so.6)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_qemu} -L /)
elseif(_qemu)
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
