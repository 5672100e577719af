#!/usr/bin/env bash
# Builds every package into build/packages/ and prints their paths and sizes:
#   AxisTune-<version>-win64-setup.exe   Windows installer (NSIS)
#   AxisTune-<version>-win64.zip         Windows, portable
#   axistune_<version>_amd64.deb         Linux PCs
#   axistune_<version>_arm64.deb         Linux arm64 (64-bit Raspberry Pi OS), cross-built
#   axistune_<version>_armhf.deb         Linux armhf (32-bit Raspberry Pi OS), cross-built
#
#   bash scripts/package.sh
#
# Release builds without tests, each in a tree of its own (build/release-win64,
# build/release-native, build/release-arm64, build/release-armhf). The arm builds link Debian's
# multiarch Qt for their architecture, which scripts/install-deps.sh --arm installs (adding the
# architectures to dpkg). Asks for sudo only to install missing packages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out="$root/build/packages"
jobs=$(nproc 2>/dev/null || echo 2)

say() { echo "package: $*"; }
fail() {
    echo "package: error: $*" >&2
    exit 1
}

bash scripts/install-deps.sh --arm || fail "installing the build dependencies failed"
mkdir -p "$out" "$root/build/package-logs"

# build TREE PRESET [CMAKE ARGS...]: configures, builds and runs cpack; the packages land in
# TREE/cpack and are copied to build/packages.
build() {
    local tree=$1 preset=$2
    shift 2
    local log="$root/build/package-logs/$(basename "$tree").log"
    say "$preset -> $tree (log: $log)"
    {
        cmake --preset "$preset" -B "$tree" -DAXISTUNE_BUILD_TESTS=OFF -DAXISTUNE_WERROR=ON "$@" &&
            cmake --build "$tree" -j "$jobs" &&
            rm -rf "$tree/cpack" &&
            (cd "$tree" && cpack)
    } >"$log" 2>&1 || {
        tail -n 40 "$log" >&2
        fail "building the $preset packages failed"
    }
    find "$tree/cpack" -maxdepth 1 -type f \( -name '*.exe' -o -name '*.zip' -o -name '*.deb' \) \
        -exec cp {} "$out/" \;
}

rm -f "$out"/*.exe "$out"/*.zip "$out"/*.deb
build build/release-win64 win64
build build/release-native native -DCMAKE_BUILD_TYPE=Release
build build/release-arm64 arm64
build build/release-armhf armhf

say "packages in $out:"
n=0
for f in "$out"/*.exe "$out"/*.zip "$out"/*.deb; do
    [ -f "$f" ] || continue
    printf '  %-60s %8s KB\n' "${f#"$root"/}" "$(($(stat -c %s "$f") / 1024))"
    n=$((n + 1))
done
[ "$n" -eq 5 ] || fail "expected 5 packages, found $n"
