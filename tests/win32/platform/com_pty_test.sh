#!/bin/sh
# Runs win32_com_pty_test against a real serial line under Wine: socat joins two
# pseudo-terminals, and a private Wine prefix maps COM5 to one end and COM6 to the other.
#
#   com_pty_test.sh EXE WORKDIR
#
# WORKDIR keeps the prefix between runs (the links A and B are stable paths, so the mapping
# stays valid); the pseudo-terminals live only while the test runs.
set -eu

exe=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
prefix="$work/prefix"

command -v socat >/dev/null 2>&1 || {
    echo "socat is missing (apt-get install socat)" >&2
    exit 1
}

mkdir -p "$work"
rm -f "$work/A" "$work/B"
socat_pid=""
cleanup() {
    if [ -n "$socat_pid" ]; then
        kill "$socat_pid" 2>/dev/null || true
        wait "$socat_pid" 2>/dev/null || true
    fi
    "$root/scripts/wine-prefix.sh" kill "$prefix" || true
    rm -f "$work/A" "$work/B"
}
trap cleanup EXIT INT TERM

start=$(date +%s)
"$root/scripts/wine-prefix.sh" create "$prefix"
"$root/scripts/wine-prefix.sh" map-com "$prefix" 5 "$work/A" 6 "$work/B"
echo "prefix ready and COM5/COM6 mapped after $(($(date +%s) - start)) s"

socat -d -d "pty,link=$work/A" "pty,link=$work/B" 2>"$work/socat.log" &
socat_pid=$!
tries=0
until [ -e "$work/A" ] && [ -e "$work/B" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then
        echo "socat did not create the pseudo-terminals:" >&2
        cat "$work/socat.log" >&2
        exit 1
    fi
    sleep 0.05
done
"$root/scripts/wine-prefix.sh" verify-com "$prefix" 5 "$work/A"
"$root/scripts/wine-prefix.sh" verify-com "$prefix" 6 "$work/B"

export WINEPREFIX="$prefix" AXISTUNE_COM_A=5 AXISTUNE_COM_B=6
status=0
"$root/cmake/wine-run.sh" "$exe" --gtest_filter='-ComPtyLost.*' || status=$?

# Pull the line while a read waits: end socat once the test says it is waiting.
out="$work/lost.out"
AXISTUNE_COM_LOSS=1 "$root/cmake/wine-run.sh" "$exe" --gtest_filter='ComPtyLost.*' >"$out" 2>&1 &
lost_pid=$!
tries=0
until grep -q "waiting for the line to go" "$out" 2>/dev/null; do
    tries=$((tries + 1))
    if [ $tries -gt 400 ] || ! kill -0 "$lost_pid" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
sleep 0.5
kill "$socat_pid" 2>/dev/null || true
wait "$socat_pid" 2>/dev/null || true
socat_pid=""
lost_status=0
wait "$lost_pid" || lost_status=$?
cat "$out"

echo "com pty test done after $(($(date +%s) - start)) s"
[ $status -eq 0 ] && [ $lost_status -eq 0 ]
