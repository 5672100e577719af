# Cross build for 32-bit ARM Linux (32-bit Raspberry Pi OS, Debian armhf: ARMv7 with hardware
# floating point) with Debian's g++-arm-linux-gnueabihf, and the window program with
# qt6-base-dev:armhf. The programs run here under qemu-user:
#   qemu-arm -L / build/armhf/sim/dxsim --version
set(CMAKE_SYSTEM_PROCESSOR armv7)
set(TOOLCHAIN_PREFIX arm-linux-gnueabihf)
set(QEMU_PROGRAM qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch-cross.cmake)

# GCC notes that 32-bit ARM passes some structures differently since GCC 7.1; everything here
# (and Debian's libraries) is built by a newer GCC, so the notes say nothing about this build.
set(CMAKE_C_FLAGS_INIT -Wno-psabi)
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
