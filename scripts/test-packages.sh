#!/usr/bin/env bash
# Builds every package (scripts/package.sh) and tests what a user installs: the Windows
# installer and zip under Wine, the .deb files' contents, dpkg -i of the amd64 one, and the
# arm64 and armhf programs under qemu-user (their windows offscreen, with screenshots in
# build/test-logs). Ends with "Packages: N passed, N failed".
#
#   bash scripts/test-packages.sh
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
logs="$root/build/test-logs"
mkdir -p "$logs"

if ! bash scripts/package.sh; then
    echo "Packages: 0 passed, 1 failed (building the packages failed)"
    exit 1
fi

: >"$logs/packages.log"
for t in tests/packaging/wine_install_test.sh tests/packaging/deb_test.sh; do
    echo "==== $t ===="
    timeout 900 bash "$t" 2>&1 | tee -a "$logs/packages.log"
    rc=${PIPESTATUS[0]}
    [ "$rc" -eq 0 ] || echo "FAIL: $t: ended with status $rc" | tee -a "$logs/packages.log"
done
passed=$(grep -c '^PASS: ' "$logs/packages.log")
failed=$(grep -c '^FAIL: ' "$logs/packages.log")
echo "Packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
