#!/bin/sh
# axistune-cli.exe under Wine against the native dxsim on a pseudo-terminal mapped to COM5.
#   run_cli_wine.sh CLI_EXE DXSIM WORK_DIR
set -u
exe=$1
dxsim=$2
work=$3
root="$(cd "$(dirname "$0")/../../.." && pwd)"
mkdir -p "$work"
work="$(cd "$work" && pwd)"
prefix="$work/prefix"

if [ ! -x "$dxsim" ]; then
    echo "SKIP: no dxsim at $dxsim (build it with the native preset)" >&2
    exit 77
fi
for tool in wine wineserver timeout; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is missing" >&2; exit 77; }
done

sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    "$root/scripts/wine-prefix.sh" kill "$prefix" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

"$root/scripts/wine-prefix.sh" create "$prefix" || exit 1
"$root/scripts/wine-prefix.sh" verify-com "$prefix" 5 "$work/com5" ||
    "$root/scripts/wine-prefix.sh" map-com "$prefix" 5 "$work/com5" || exit 1

rm -f "$work/com5" "$work/backup.json" "$work/dxsim.trace"
"$dxsim" --profile dx5 --link "$work/com5" --trace-file "$work/dxsim.trace" >"$work/dxsim.out" 2>&1 &
sim_pid=$!
i=0
while [ ! -e "$work/com5" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
failed=0
# Output to files, not pipes: Wine's background processes may hold a pipe open.
timeout 60 wine "$exe" ports >"$work/ports.out" 2>&1
if ! grep -q '^COM5' "$work/ports.out"; then
    echo "FAIL: ports does not list COM5:" >&2
    cat "$work/ports.out" >&2
    failed=1
fi
timeout 60 wine "$exe" backup --port COM5 -o "$(winepath -w "$work/backup.json" 2>/dev/null)" \
    >"$work/backup.out" 2>&1
code=$?
if [ $code -ne 0 ] || ! grep -q '"ra_ratio": 172800' "$work/backup.json" 2>/dev/null; then
    echo "FAIL: backup through COM5 ended with $code:" >&2
    cat "$work/backup.out" >&2
    failed=1
fi

# Windows device names and a folder are refused as input and as output, before COM5 is opened.
frames_before=$(grep -c 'host>' "$work/dxsim.trace" 2>/dev/null)
mkdir -p "$work/folder"
folder="$(winepath -w "$work/folder" 2>/dev/null)"
for args in "diff --port COM5 NUL" "restore --port COM5 nul.json" "diff --port COM5 COM1" \
            "backup --port COM5 -o NUL" "backup --port COM5 CON" "backup --port COM5 lpt1.txt"; do
    # shellcheck disable=SC2086
    timeout 60 wine "$exe" $args >"$work/refused.out" 2>&1
    code=$?
    if [ $code -ne 3 ] || ! grep -q 'reserved device name on Windows' "$work/refused.out"; then
        echo "FAIL: $args ended with $code:" >&2
        cat "$work/refused.out" >&2
        failed=1
    fi
done
timeout 60 wine "$exe" diff --port COM5 "$folder" >"$work/refused.out" 2>&1
code=$?
if [ $code -ne 3 ] || ! grep -q 'is a directory, not a regular file' "$work/refused.out"; then
    echo "FAIL: diff of a folder ended with $code:" >&2
    cat "$work/refused.out" >&2
    failed=1
fi
if [ "$(grep -c 'host>' "$work/dxsim.trace")" != "$frames_before" ]; then
    echo "FAIL: a refused path still sent frames to COM5" >&2
    failed=1
fi
[ $failed -eq 0 ] && echo "axistune-cli.exe: ports lists COM5; backup through COM5 is complete;" \
    "device names and a folder are refused with nothing sent"
exit $failed
