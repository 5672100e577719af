# Sourced by the package tests: one "PASS: name" or "FAIL: name: why" line per check, and the
# package's version and paths. test-packages.sh counts the lines.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
packages="$root/build/packages"
version=$(sed -n 's/^project(AxisTune VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
caption="AxisTune ${version%.*}."

pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1: $2"; }
# check NAME COMMAND...: passes when COMMAND succeeds.
check() {
    local name=$1
    shift
    if "$@" >/dev/null 2>&1; then pass "$name"; else fail "$name" "failed: $*"; fi
}
# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
    local tenths=$1 i
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
# Whether file $1 holds a line matching $2 (extended regular expression).
has_line() { grep -Eq -- "$2" "$1"; }
