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

# The first display number without a lock file.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
    [ $display -lt 200 ] || { echo "no free X display" >&2; exit 1; }
done

xvfb_pid=""
cleanup() {
    "$root/scripts/wine-prefix.sh" kill "$prefix" 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT INT TERM

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
tries=0
until [ -e "/tmp/.X11-unix/X$display" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 200 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.05
done

"$root/scripts/wine-prefix.sh" create "$prefix"
export DISPLAY=":$display" WINEPREFIX="$prefix"
"$root/cmake/wine-run.sh" "$exe"
