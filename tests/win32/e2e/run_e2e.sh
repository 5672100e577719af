#!/bin/sh
# Runs the end-to-end tests: a private Xvfb display, a private Wine prefix whose COM ports lead to
# simulated controllers (the native dxsim, one per port, each writing a trace), then the
# cross-built test driver under Wine. Everything it starts is ended again, also on failure.
#
#   run_e2e.sh TEST_EXE AXISTUNE_EXE DXSIM WORKDIR [TEST ARGS...]
#
# Exit 77 (CTest: skipped) when DXSIM is missing. WORKDIR keeps the prefix between runs; the
# COM ports lead to stable links in it, which dxsim re-creates on each run.
set -eu

test_exe=$1
app_exe=$2
dxsim=$3
work=$4
shift 4
mkdir -p "$work"
work=$(cd "$work" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
prefix="$work/prefix"

# COM port, profile and options of each simulated controller; the tests' e2e_fixture.h names
# the same ports.
controllers="
1 dx5
2 dx5
3 dx5
4 dx5
5 dx5
6 rv5
7 dx3
8 old-firmware
9 incompatible
10 old-version
11 dx5 --no-reply
12 dx5
"

if [ ! -x "$dxsim" ]; then
    echo "SKIP: no dxsim at $dxsim. Build it with the native preset" \
        "(cmake --preset native && cmake --build build/native --target dxsim) or point" \
        "AXISTUNE_E2E_DXSIM at one."
    exit 77
fi
for tool in Xvfb wine wineserver timeout; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "$tool is missing (scripts/install-deps.sh installs it)" >&2
        exit 1
    }
done

start=$(date +%s)
mkdir -p "$work"
xvfb_pid=""
sim_pids=""
status=1

cleanup() {
    "$root/scripts/wine-prefix.sh" kill "$prefix" 2>/dev/null || true
    for pid in $sim_pids; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $sim_pids; do
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

. "$root/scripts/xvfb.sh"
start_xvfb "$work" || exit 1
display=$xvfb_display

# The prefix, with each COM port reserved for its link (mapped again only when it changed).
"$root/scripts/wine-prefix.sh" create "$prefix"
pairs=""
mapped=yes
while read -r com profile options; do
    [ -n "$com" ] || continue
    pairs="$pairs $com $work/com$com"
    "$root/scripts/wine-prefix.sh" verify-com "$prefix" "$com" "$work/com$com" || mapped=no
done <<EOT
$controllers
EOT
if [ $mapped = no ]; then
    # shellcheck disable=SC2086
    "$root/scripts/wine-prefix.sh" map-com "$prefix" $pairs
fi

# One simulated controller per port, each with a fresh trace.
while read -r com profile options; do
    [ -n "$com" ] || continue
    rm -f "$work/trace-com$com.log" "$work/com$com"
    # shellcheck disable=SC2086
    "$dxsim" --profile "$profile" $options --link "$work/com$com" \
        --trace-file "$work/trace-com$com.log" >"$work/dxsim-com$com.out" 2>&1 &
    sim_pids="$sim_pids $!"
done <<EOT
$controllers
EOT
while read -r com profile options; do
    [ -n "$com" ] || continue
    tries=0
    until [ -e "$work/com$com" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ]; then
            echo "dxsim did not open COM$com:" >&2
            cat "$work/dxsim-com$com.out" >&2
            exit 1
        fi
        sleep 0.05
    done
done <<EOT
$controllers
EOT
echo "display $display, prefix and $(echo "$sim_pids" | wc -w) controllers ready after" \
    "$(($(date +%s) - start)) s"

export DISPLAY="$display" WINEPREFIX="$prefix"
export AXISTUNE_E2E_EXE="$app_exe" AXISTUNE_E2E_WORK="$work"
status=0
timeout -k 10 540 "$root/cmake/wine-run.sh" "$test_exe" "$@" || status=$?
if [ $status -ne 0 ]; then
    for f in "$work"/dxsim-com*.out; do
        [ -s "$f" ] && { echo "--- $f"; cat "$f"; }
    done
fi
echo "end-to-end tests done after $(($(date +%s) - start)) s (exit $status)"
exit $status
