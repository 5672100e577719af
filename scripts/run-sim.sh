#!/usr/bin/env bash
# Quick start: AxisTune under Wine, connected to a simulated controller.
#
#   sudo bash scripts/run-sim.sh [PROFILE]
#   bash scripts/run-sim.sh --native [PROFILE]
#
# --native runs the Linux program (apps/qt) instead of axistune.exe under Wine: on a usable
# display it opens there (type the printed device path into the port box); without one it
# connects offscreen, saves a screenshot and prints its path.
#
# PROFILE is the controller dxsim simulates: dx5 (default), dx3, rv5, or one the program refuses:
# incompatible, old-firmware, old-version.
#
# Installs what is missing (scripts/install-deps.sh), builds dxsim (native preset) and
# axistune.exe (win64 preset), starts dxsim on a pseudo-terminal behind a stable link, and maps
# COM1 of a private Wine prefix to that link. Everything lives under build/run-sim/.
#
# With a usable DISPLAY the program opens there: press "Connect" (COM1 is selected; untick the
# baud box for the dx3) and close the window when done. Without one it runs headless on Xvfb:
# it presses "Connect", waits for the result, saves a screenshot of the main window and prints
# its path. Every wait is bounded; on any failure the script says why and exits non-zero.
# Whatever it started (the program, wineserver, Xvfb, dxsim) is ended before it returns.
set -euo pipefail

profiles="dx5 dx3 rv5 incompatible old-firmware old-version"
native=0
if [ "${1:-}" = --native ]; then
    native=1
    shift
fi
profile=${1:-dx5}
if [ $# -gt 1 ] || ! [[ " $profiles " == *" $profile "* ]]; then
    echo "usage: run-sim.sh [--native] [PROFILE]   (PROFILE: ${profiles// /, }; default dx5)" >&2
    exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
work="$root/build/run-sim"
prefix="$work/prefix"
link="$work/com1"
trace="$work/dxsim-trace.log"

say() { echo "run-sim: $*"; }
fail() {
    echo "run-sim: error: $*" >&2
    exit 1
}

# What the window shows when the profile's controller has been answered.
case "$profile" in
    dx5 | dx3 | rv5) expected="Connection established." ;;
    incompatible) expected="Error: Cannot connect: Incompatible device" ;;
    *) expected="Error: The firmware in the device is too old. Please upgrade it to the latest version." ;;
esac
baud=115200
[ "$profile" = dx3 ] && baud=9600

# 1. Tools.
say "checking the packages (scripts/install-deps.sh)"
bash "$root/scripts/install-deps.sh" || fail "installing the packages failed"

# 2. Builds: dxsim natively, the program and its small window driver for Windows.
cd "$root"
mkdir -p "$work"
say "building dxsim (preset native)"
cmake --preset native >"$work/configure-native.log" 2>&1 ||
    { cat "$work/configure-native.log" >&2; fail "configuring the native preset failed"; }
cmake --build build/native --target dxsim -j "$(nproc)" ||
    fail "building dxsim failed"
dxsim="$root/build/native/sim/dxsim"
if [ "$native" = 0 ]; then
    say "building axistune.exe (preset win64)"
    cmake --preset win64 >"$work/configure-win64.log" 2>&1 ||
        { cat "$work/configure-win64.log" >&2; fail "configuring the win64 preset failed"; }
    cmake --build build/win64 --target axistune axistune_drive -j "$(nproc)" ||
        fail "building axistune.exe failed"

    app="$root/build/win64/apps/win32/axistune.exe"
    drive="$root/build/win64/tests/win32/e2e/axistune_drive.exe"
    for f in "$dxsim" "$app" "$drive"; do
        [ -f "$f" ] || fail "the build did not produce $f"
    done
fi

# 3. Everything started from here on is ended on the way out.
dxsim_pid=""
xvfb_pid=""
app_pid=""
cleanup() {
    set +e
    if [ "$native" = 0 ] && [ -d "$prefix" ]; then
        timeout 30 "$root/scripts/wine-prefix.sh" kill "$prefix" >/dev/null 2>&1
    fi
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$dxsim_pid" ] && kill "$dxsim_pid" 2>/dev/null && wait "$dxsim_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
    local tenths=$1
    shift
    local i
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# The Linux program: dxsim behind a stable link, and the Qt front end opened on it.
run_native() {
    local link="$work/native-port" app="$root/build/native/apps/qt/axistune"
    local snapshot="$root/build/native/apps/qt/axistune_qt_snapshot"
    say "building dxsim and the Linux axistune (preset native)"
    cmake --build build/native --target dxsim axistune_qt axistune_qt_snapshot -j "$(nproc)" ||
        fail "building the Linux program failed (is qt6-base-dev installed?)"
    for f in "$dxsim" "$app" "$snapshot"; do
        [ -f "$f" ] || fail "the build did not produce $f"
    done
    rm -f "$trace"
    "$dxsim" --profile "$profile" --link "$link" --trace-file "$trace" >"$work/dxsim.out" 2>&1 &
    dxsim_pid=$!
    wait_for 50 test -e "$link" || { cat "$work/dxsim.out" >&2; fail "dxsim did not start"; }
    say "dxsim ($profile) serves $(head -n1 "$work/dxsim.out") behind $link; trace in $trace"
    local baud_hint=""
    [ "$profile" = dx3 ] && baud_hint=", untick the 115200 Baud box (the DX3 runs at 9600)"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && { [ -n "${WAYLAND_DISPLAY:-}" ] ||
        timeout 10 xdpyinfo >/dev/null 2>&1; }; then
        say "opening AxisTune: type $link into the Port box$baud_hint and press Connect."
        say "Ctrl+N switches night mode; close the window to end"
        "$app" >"$work/axistune-native.log" 2>&1 || true
        say "AxisTune ended"
        exit 0
    fi
    say "no usable display: connecting offscreen"
    local shot="$work/linux-main-window-$profile.png" result=0
    QT_QPA_PLATFORM=offscreen timeout 60 "$snapshot" --port "$link" --baud "$baud" \
        --expect "$expected" --out "$shot" --timeout-ms 30000 >"$work/snapshot.log" 2>&1 ||
        result=$?
    grep -v '^QStandardPaths' "$work/snapshot.log" || true
    case $result in
        0) say "done: the $profile controller was answered as expected ($expected)" ;;
        3) fail "the window did not show \"$expected\" (see the status above and $trace)" ;;
        124) fail "the Linux program did not finish in time" ;;
        *) fail "the Linux program failed (exit $result); see $work/snapshot.log" ;;
    esac
    say "screenshot of the main window: $shot"
    exit 0
}

[ "$native" = 1 ] && run_native

# 4. The simulated controller.
rm -f "$trace"
"$dxsim" --profile "$profile" --link "$link" --trace-file "$trace" >"$work/dxsim.out" 2>&1 &
dxsim_pid=$!
wait_for 50 test -e "$link" || { cat "$work/dxsim.out" >&2; fail "dxsim did not start"; }
say "dxsim ($profile) serves $(head -n1 "$work/dxsim.out") behind $link; trace in $trace"

# 5. The Wine prefix with COM1 leading to the link.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$prefix/.axistune-ready" ]; then
    say "creating the Wine prefix $prefix (once, takes a little while)"
fi
timeout 600 "$root/scripts/wine-prefix.sh" create "$prefix" || fail "creating the Wine prefix failed"
if ! "$root/scripts/wine-prefix.sh" verify-com "$prefix" 1 "$link"; then
    timeout 180 "$root/scripts/wine-prefix.sh" map-com "$prefix" 1 "$link" ||
        fail "mapping COM1 to $link failed"
fi
say "COM1 of the prefix leads to $link"

# Whether Wine can open windows on the user's display.
display_usable() {
    [ -n "${DISPLAY:-}" ] || return 1
    if [ -z "${XAUTHORITY:-}" ] && [ -n "${SUDO_USER:-}" ]; then
        local home
        home=$(getent passwd "$SUDO_USER" | cut -d: -f6)
        [ -f "$home/.Xauthority" ] && export XAUTHORITY="$home/.Xauthority"
    fi
    timeout 10 xdpyinfo >/dev/null 2>&1
}

# Windows managed by the desktop's window manager on a real display; unmanaged on Xvfb, which
# has none.
set_managed() {
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$1" /f \
        >/dev/null 2>&1 || fail "cannot set the X11 driver's Managed value"
    timeout 60 wineserver -w || true
}

if display_usable; then
    # 6a. On the user's display, until the user closes the window.
    set_managed Y
    hint="press Connect"
    [ "$profile" = dx3 ] && hint="untick the 115200 Baud box (the DX3 runs at 9600), then press Connect"
    say "opening AxisTune on $DISPLAY: COM1 is selected; $hint."
    say "close the window to end; the simulator's trace is in $trace"
    wine "$app" >"$work/axistune.log" 2>&1 || true
    say "AxisTune ended"
    exit 0
fi

# 6b. Headless on a display of our own.
if [ -n "${DISPLAY:-}" ]; then
    say "cannot open the display $DISPLAY (as root: pass XAUTHORITY, e.g. sudo -E); running headless"
fi
say "no usable display: running headless on Xvfb"
. "$root/scripts/xvfb.sh"
start_xvfb "$work" || fail "Xvfb did not start"
export DISPLAY="$xvfb_display"
set_managed N

wine "$app" >"$work/axistune.log" 2>&1 &
app_pid=$!
say "started axistune.exe on $DISPLAY; pressing Connect on COM1 at $baud baud"
# Output goes to files, not pipes: Wine's background processes may keep a pipe open for as long
# as the prefix runs.
result=0
timeout 150 wine "$drive" connect --port 1 --baud "$baud" --timeout-ms 60000 \
    >"$work/drive.out" 2>&1 || result=$?
tr -d '\r' <"$work/drive.out" | tee "$work/drive.log"
case $result in
    0 | 3) ;;
    124) fail "the window driver did not finish in time" ;;
    *) fail "driving the window failed (exit $result); see $work/axistune.log and $trace" ;;
esac

window=$(timeout 10 xdotool search --name '^AxisTune 2\.6\.$' | head -n1) || true
[ -n "$window" ] || fail "cannot find the main window on $DISPLAY"
shot="$work/main-window-$profile.png"
timeout 30 import -window "$window" "$shot" || fail "the screenshot failed"
say "screenshot of the main window: $shot"

timeout 60 wine "$drive" close --timeout-ms 10000 >/dev/null 2>&1 ||
    say "the window did not close by itself; ending it"
if grep -qxF "status:   $expected" "$work/drive.log"; then
    say "done: the $profile controller was answered as expected ($expected)"
    exit 0
fi
fail "the window did not show \"$expected\" (see the status above and $trace)"
