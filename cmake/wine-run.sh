#!/bin/sh
# CMAKE_CROSSCOMPILING_EMULATOR of the win64 build: runs a cross-built executable under Wine and
# returns its exit code. Works without a display for console programs.
#
#   wine-run.sh EXE [ARGS...]
#
# WINEPREFIX, when not set, is a prefix of the build tree (<build>/wine-prefix) that is created
# on first use; concurrent runs share it.
set -eu

[ $# -ge 1 ] || { echo "usage: wine-run.sh EXE [ARGS...]" >&2; exit 2; }
exe=$1
shift

here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${WINEPREFIX:-}" ]; then
    # The build tree is the nearest folder above the executable that holds CMakeCache.txt.
    dir=$(cd "$(dirname "$exe")" && pwd)
    build=""
    while [ "$dir" != "/" ]; do
        if [ -f "$dir/CMakeCache.txt" ]; then
            build=$dir
            break
        fi
        dir=$(dirname "$dir")
    done
    [ -n "$build" ] || build=$(pwd)
    WINEPREFIX="$build/wine-prefix"
fi
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"

"$here/../scripts/wine-prefix.sh" create "$WINEPREFIX"

# Start the prefix's server (unless it runs) with its output going nowhere: it outlives this
# run by a few seconds and would otherwise hold on to the test runner's output.
wineserver </dev/null >/dev/null 2>&1 || true

exec wine "$exe" "$@"
