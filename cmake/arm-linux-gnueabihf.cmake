# Cross build for 32-bit ARM Linux (32-bit Raspberry Pi OS, Debian armhf: ARMv7 with hardware
# floating point) with Debian's g++-arm-linux-gnueabihf, and the window program with
# qt6-base-dev:armhf. The programs run here under qemu-user:
#   qemu-arm -L / build/armhf/sim/dxsim --version
set(CMAKE_SYSTEM_PROCESSOR armv7)
set(TOOLCHAIN_PREFIX arm-linux-gnueabihf)
set(QEMU_PROGRAM qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch-cross.cmake)
