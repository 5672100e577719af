#!/usr/bin/env bash
# Installs, from Debian's packages, whatever AxisTune's build, tests and quick start need and
# this machine lacks. Safe to run again: it does nothing when everything is there.
#
#   bash scripts/install-deps.sh          the build, the tests and the quick start
#   bash scripts/install-deps.sh --arm    also what the arm64 and armhf packages are built with:
#                                         the armhf cross compiler and Debian's multiarch Qt
#                                         (dpkg --add-architecture arm64 armhf)
set -euo pipefail

arm=0
case "${1:-}" in
  "") ;;
  --arm) arm=1 ;;
  *) echo "usage: install-deps.sh [--arm]" >&2; exit 2 ;;
esac

packages=(
  cmake ninja-build g++ clang libclang-rt-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64 wine wine64
  xvfb xauth x11-utils xdotool imagemagick socat
  clang-format python3 procps
  qt6-base-dev libcli11-dev nlohmann-json3-dev
  nsis zip unzip dpkg-dev file fakeroot g++-aarch64-linux-gnu qemu-user
)

# The window programs for the Raspberry Pi link the target architecture's Qt; its headers and
# libraries install beside the build machine's own (/usr/include/<triplet>, /usr/lib/<triplet>).
foreign_architectures=()
if [ "$arm" = 1 ]; then
  packages+=(g++-arm-linux-gnueabihf qt6-base-dev:arm64 qt6-base-dev:armhf)
  for a in arm64 armhf; do
    dpkg --print-foreign-architectures | grep -qx "$a" || foreign_architectures+=("$a")
  done
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
for a in "${foreign_architectures[@]}"; do
  echo "Adding the architecture $a (Debian multiarch)"
  "${sudo_cmd[@]}" dpkg --add-architecture "$a"
done
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
