# Cross build for 64-bit ARM Linux (64-bit Raspberry Pi OS, Debian arm64) with Debian's
# g++-aarch64-linux-gnu, and the window program with qt6-base-dev:arm64. The programs run here
# under qemu-user:
#   qemu-aarch64 -L / build/arm64/sim/dxsim --version
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TOOLCHAIN_PREFIX aarch64-linux-gnu)
set(QEMU_PROGRAM qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch-cross.cmake)
