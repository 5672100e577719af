#!/usr/bin/env bash
# The Linux window's figures, on a display of its own (Xvfb, no window manager): the real
# `axistune` from process start to its main window mapped and exposed; its resident memory
# while connected to dxsim; and its processor time and wake-ups per thread while it sits idle
# and connected, first with the focus on a push button, then in a text box (whose caret blinks).
# Prints figures; nothing here fails on a timing.
#
#   bash bench/qt_figures.sh BUILD_DIR [--starts N] [--idle-seconds S]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: bash bench/qt_figures.sh BUILD_DIR [--starts N] [--idle-seconds S]}
shift
starts=5
idle=30
while [ $# -gt 0 ]; do
    case "$1" in
        --starts) starts=$2; shift 2 ;;
        --idle-seconds) idle=$2; shift 2 ;;
        *) echo "usage: bash bench/qt_figures.sh BUILD_DIR [--starts N] [--idle-seconds S]" >&2
           exit 2 ;;
    esac
done

app="$build/apps/qt/axistune"
dxsim="$build/sim/dxsim"
shown="$build/bench/axistune_window_shown"
for f in "$app" "$dxsim" "$shown"; do
    if [ ! -x "$f" ]; then
        echo "   $f is missing: the window's figures are left out"
        exit 0
    fi
done
for tool in Xvfb xdotool; do
    if ! command -v "$tool" > /dev/null 2>&1; then
        echo "   $tool is missing: the window's figures are left out"
        exit 0
    fi
done

work=$(mktemp -d /tmp/axistune-qt-bench-XXXXXX)
xvfb_pid=""
dxsim_pid=""
app_pid=""
# Ends what this script started, each by its own process id.
end_all() {
    for pid in $app_pid $dxsim_pid $xvfb_pid; do
        kill "$pid" 2> /dev/null || true
    done
    rm -rf "$work"
}
trap end_all EXIT

# shellcheck source=../scripts/xvfb.sh
. "$root/scripts/xvfb.sh"
start_xvfb "$work"
export DISPLAY=$xvfb_display QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# A user's choices (night mode, the settings history) neither reach the runs nor come from them.
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_CACHE_HOME="$work/cache"

# Waits (bounded, in tenths of a second) until the command succeeds.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Ends the program started last and waits for its end.
end_app() {
    [ -n "$app_pid" ] || return 0
    kill "$app_pid" 2> /dev/null || true
    wait_for 100 sh -c "! kill -0 $app_pid 2> /dev/null" || kill -9 "$app_pid" 2> /dev/null || true
    app_pid=""
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

echo "   display: Xvfb $DISPLAY (1280x1024x24, no window manager), Qt platform xcb"
echo "   load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"

# 9. Start to the main window shown.
: > "$work/mapped"
: > "$work/exposed"
for i in $(seq "$starts"); do
    line=$("$shown" --log "$work/axistune.log" "$app") || { echo "   start $i: no window"; continue; }
    read -r _ app_pid _ mapped _ exposed _ window <<< "$line"
    echo "   start $i: mapped after $mapped ms, first expose after $exposed ms (window $window)"
    echo "$mapped" >> "$work/mapped"
    echo "$exposed" >> "$work/exposed"
    end_app
done
echo "9. start to the main window, $starts runs: mapped median $(median < "$work/mapped") ms" \
     "(min $(sort -n "$work/mapped" | head -n1), max $(sort -n "$work/mapped" | tail -n1));" \
     "first expose median $(median < "$work/exposed") ms"

# 10. Connected to dxsim: the port typed into the port box, Connect pressed, as a user does.
"$dxsim" --profile dx5 --link "$work/port" --trace-file "$work/trace" > "$work/dxsim.out" 2>&1 &
dxsim_pid=$!
wait_for 50 test -e "$work/port" || { echo "   dxsim did not start"; exit 0; }
line=$("$shown" --log "$work/axistune.log" "$app") || { echo "   no window"; exit 0; }
read -r _ app_pid _ _ _ _ _ window <<< "$line"
window=$((window))
xdotool windowfocus --sync "$window" 2> /dev/null || true
# The port box has the focus when the window opens; two tabs further is the Connect button,
# which keeps the focus once it has been pressed.
xdotool type --delay 5 "$work/port"
xdotool key Tab Tab space
if ! wait_for 200 grep -q "READ_GEO" "$work/trace"; then
    echo "   the window did not connect (see the dxsim trace)"
    exit 0
fi
sleep 2  # the window takes in the settings

# Per thread: name, processor time (ns, from schedstat) and voluntary context switches.
sample() {
    for task in /proc/"$app_pid"/task/*; do
        printf '%s %s %s %s\n' "$(basename "$task")" "$(tr ' ' '_' < "$task/comm")" \
            "$(cut -d' ' -f1 "$task/schedstat")" \
            "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")"
    done
}

# Idle for `idle` seconds; prints one line per thread and the sums.
measure_idle() {
    local label=$1 before after
    before=$(sample)
    sleep "$idle"
    after=$(sample)
    echo "   $label, $idle s idle (load $(cut -d' ' -f1-3 /proc/loadavg)):"
    LC_ALL=C join <(LC_ALL=C sort -k1,1 <<< "$before") <(LC_ALL=C sort -k1,1 <<< "$after") |
        awk -v s="$idle" -v pid="$app_pid" '
            { cpu = ($6 - $3) / 1e6 * 60 / s; wake = ($7 - $4) / s
              who = ($1 == pid) ? "main (Qt event loop)" : $2
              printf "      tid %-7s %-22s %8.2f ms CPU per minute %6.2f wake-ups/s\n", $1, who, cpu, wake
              tc += cpu; tw += wake
              if ($1 == pid) { mc = cpu; mw = wake } }
            END { printf "      all threads: %.1f ms CPU per minute (%.3f %% of one core), %.1f wake-ups/s;" \
                         " main thread %.2f ms per minute, %.2f wake-ups/s\n", tc, tc / 600, tw, mc, mw }'
}

rss=$(awk '/^VmRSS/ { print $2 }' /proc/"$app_pid"/status)
hwm=$(awk '/^VmHWM/ { print $2 }' /proc/"$app_pid"/status)
pss=$(awk '/^Pss:/ { print $2 }' /proc/"$app_pid"/smaps_rollup)
anon=$(awk '/^Pss_Anon:/ { print $2 }' /proc/"$app_pid"/smaps_rollup)
echo "10. resident memory, connected to dxsim (dx5, 115200): VmRSS $rss KiB, VmHWM $hwm KiB;" \
     "PSS $pss KiB, of which $anon KiB anonymous (the rest is shared libraries' pages)"

# 11. Idle and connected. xdotool cannot tell which widget has the focus; the keys above and below
# put it there, and AXISTUNE_BENCH_SHOTS names a folder for screenshots that show it.
shot() {
    if [ -n "${AXISTUNE_BENCH_SHOTS:-}" ] && command -v import > /dev/null 2>&1; then
        import -window root "$AXISTUNE_BENCH_SHOTS/$1.png" 2> /dev/null || true
    fi
}
shot connected
measure_idle "11. focus on a push button (Connect)"
shot focus-button
xdotool key shift+Tab shift+Tab End  # back into the port box, the caret after its text
measure_idle "11. focus in a text box (the caret blinks)"
shot focus-text
echo "   load after: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"
