#!/bin/sh
# Runs a cross-built test that opens real windows: a private Xvfb display and a private Wine
# prefix, both ended afterwards.
#
#   run_with_display.sh EXE WORKDIR
set -eu

exe=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
prefix="$work/prefix"

command -v Xvfb >/dev/null 2>&1 || {
    echo "Xvfb is missing (apt-get install xvfb)" >&2
    exit 1
}
mkdir -p "$work"

xvfb_pid=""
cleanup() {
    "$root/scripts/wine-prefix.sh" kill "$prefix" 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT INT TERM

. "$root/scripts/xvfb.sh"
start_xvfb "$work" || exit 1

"$root/scripts/wine-prefix.sh" create "$prefix"
export DISPLAY="$xvfb_display" WINEPREFIX="$prefix"
"$root/cmake/wine-run.sh" "$exe"
