#!/usr/bin/env bash
# The .deb packages: their metadata and contents, the amd64 one installed with dpkg -i (as
# root, or with sudo that asks no password) with its programs run, and the arm64 one's programs
# run under qemu-user against the native dxsim.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
work="$root/build/package-tests/deb"
rm -rf "$work"
mkdir -p "$work"

# contents_checks ARCH DEB: metadata and files every .deb must have.
contents_checks() {
    local arch=$1 deb=$2 x="$work/$1"
    dpkg-deb -x "$deb" "$x" || { fail "$arch: dpkg-deb -x" "$deb"; return; }
    dpkg-deb -c "$deb" >"$work/$arch.contents"
    check "$arch: Package axistune" test "$(dpkg-deb -f "$deb" Package)" = axistune
    check "$arch: Version $version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
    check "$arch: Architecture $arch" test "$(dpkg-deb -f "$deb" Architecture)" = "$arch"
    check "$arch: Depends on libc6 and libstdc++6" \
        sh -c "dpkg-deb -f '$deb' Depends | grep 'libc6 (>= ' | grep -q 'libstdc++6 (>= '"
    local f
    for f in usr/bin/dxsim usr/share/man/man1/dxsim.1.gz usr/share/doc/axistune/copyright \
        usr/share/doc/axistune/changelog.gz usr/share/doc/axistune/README.Debian; do
        check "$arch: has /$f" test -f "$x/$f"
    done
    check "$arch: README.Debian names the dialout group" grep -q dialout \
        "$x/usr/share/doc/axistune/README.Debian"
    [ -f "$x/usr/bin/axistune-cli" ] &&
        check "$arch: has axistune-cli's man page" test -f "$x/usr/share/man/man1/axistune-cli.1.gz"
    if [ -f "$x/usr/bin/axistune" ]; then
        check "$arch: has the desktop entry and icon" test -f \
            "$x/usr/share/applications/axistune.desktop" -a \
            -f "$x/usr/share/icons/hicolor/48x48/apps/axistune.png"
        check "$arch: Depends on Qt 6 Widgets" sh -c \
            "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6"
        command -v desktop-file-validate >/dev/null &&
            check "$arch: desktop entry is valid" desktop-file-validate \
                "$x/usr/share/applications/axistune.desktop"
    fi
    for f in "$x"/usr/bin/*; do
        check "$arch: $(basename "$f") is stripped" sh -c "file -b '$f' | grep -q ', stripped'"
    done
    check "$arch: files owned by root" sh -c "! grep -v ' root/root ' '$work/$arch.contents'"
}

# run_version LABEL COMMAND...: the program prints "<name> <version>".
run_version() {
    local label=$1
    shift
    if timeout 30 "$@" --version >"$work/version.out" 2>&1 &&
        grep -q " $version\$" "$work/version.out"; then
        pass "$label --version"
    else
        fail "$label --version" "printed: $(head -c 300 "$work/version.out")"
    fi
}

# window_shows LABEL PROGRAM: the window program opens its main window (on an Xvfb of its own).
window_shows() {
    local label=$1 program=$2 xvfb_pid app pattern="^${caption//./\\.}\$"
    . "$root/scripts/xvfb.sh"
    start_xvfb "$work" || { fail "$label: Xvfb starts" "see $work/xvfb.log"; return; }
    DISPLAY=$xvfb_display XDG_RUNTIME_DIR="$work" "$program" >"$work/window.log" 2>&1 &
    app=$!
    if wait_for 200 sh -c "DISPLAY=$xvfb_display xdotool search --name '$pattern' >/dev/null 2>&1"
    then
        pass "$label shows its main window \"$caption\""
    else
        fail "$label shows its main window" "no window \"$caption\" in 20 s: $(head -c 300 "$work/window.log")"
    fi
    kill "$app" "$xvfb_pid" 2>/dev/null
    wait "$app" "$xvfb_pid" 2>/dev/null
}

amd64="$packages/axistune_${version}_amd64.deb"
arm64="$packages/axistune_${version}_arm64.deb"
contents_checks amd64 "$amd64"
contents_checks arm64 "$arm64"

# ---- amd64: dpkg -i ----
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo -n)
if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
    echo "SKIP: amd64: dpkg -i needs root or sudo without a password"
elif dpkg-query -W -f='${Status}' axistune 2>/dev/null | grep -q "ok installed"; then
    echo "SKIP: amd64: dpkg -i: axistune is already installed on this machine; left alone"
else
    "${as_root[@]}" dpkg -i "$amd64" >"$work/dpkg-i.log" 2>&1
    check "amd64: dpkg -i" test $? -eq 0
    check "amd64: dpkg -i prints the dialout note" grep -q dialout "$work/dpkg-i.log"
    for p in /usr/bin/dxsim /usr/bin/axistune-cli; do
        [ -x "$p" ] && run_version "amd64: installed $p" "$p"
    done
    [ -x /usr/bin/axistune ] && window_shows "amd64: installed axistune" /usr/bin/axistune
    "${as_root[@]}" dpkg --purge axistune >"$work/dpkg-r.log" 2>&1
    check "amd64: dpkg --purge removes the programs" test ! -e /usr/bin/dxsim
fi

# ---- arm64: under qemu-user ----
qemu=(qemu-aarch64 -L /usr/aarch64-linux-gnu)
x="$work/arm64"
for p in "$x"/usr/bin/*; do
    run_version "arm64: $(basename "$p") under qemu" "${qemu[@]}" "$p"
done
if [ -f "$x/usr/bin/axistune-cli" ]; then
    dxsim="$root/build/release-native/sim/dxsim"
    "$dxsim" --profile dx5 --link "$work/dx5" >"$work/dxsim.out" 2>&1 &
    sim=$!
    if wait_for 50 test -e "$work/dx5"; then
        timeout 60 "${qemu[@]}" "$x/usr/bin/axistune-cli" backup --port "$work/dx5" \
            --output "$work/backup.json" >"$work/backup.log" 2>&1
        check "arm64: axistune-cli backup against the native dxsim" \
            sh -c "[ $? -eq 0 ] && grep -q '\"version\"' '$work/backup.json'"
    else
        fail "arm64: native dxsim starts" "$(cat "$work/dxsim.out")"
    fi
    kill "$sim" 2>/dev/null
    wait "$sim" 2>/dev/null
fi
exit 0
