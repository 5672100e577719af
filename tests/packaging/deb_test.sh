#!/usr/bin/env bash
# The .deb packages: their metadata and contents, the amd64 one installed with dpkg -i (as
# root, or with sudo that asks no password) with its programs run, and the arm64 and armhf ones'
# programs run under qemu-user against the native dxsim: the command line's backup, and the
# window (offscreen) connecting, with a screenshot in build/test-logs.
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
    if timeout -k 5 30 "$@" --version >"$work/version.out" 2>&1 &&
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

# The Qt packages and versions a .deb depends on, one a line.
qt_depends() { dpkg-deb -f "$1" Depends | grep -o 'libqt6[a-z]*6 ([^)]*)' | sort; }

amd64="$packages/axistune_${version}_amd64.deb"
contents_checks amd64 "$amd64"
for arch in arm64 armhf; do
    deb="$packages/axistune_${version}_${arch}.deb"
    contents_checks "$arch" "$deb"
    for f in axistune axistune-cli dxsim; do
        check "$arch: has /usr/bin/$f" test -f "$work/$arch/usr/bin/$f"
    done
    check "$arch: Qt dependencies as the amd64 package's" \
        test "$(qt_depends "$deb")" = "$(qt_depends "$amd64")" -a -n "$(qt_depends "$amd64")"
done

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
    for p in /usr/bin/dxsim /usr/bin/axistune-cli /usr/bin/axistune; do
        [ -x "$p" ] && run_version "amd64: installed $p" "$p"
    done
    [ -x /usr/bin/axistune ] && window_shows "amd64: installed axistune" /usr/bin/axistune
    "${as_root[@]}" dpkg --purge axistune >"$work/dpkg-r.log" 2>&1
    check "amd64: dpkg --purge removes the programs" test ! -e /usr/bin/dxsim
fi

# ---- arm64 and armhf: under qemu-user, against the native dxsim ----
dxsim="$root/build/release-native/sim/dxsim"
# The programs write their settings history and choices into the work folder, not $HOME.
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
# Starts dxsim with profile $1 behind the link $2; sets sim.
start_dxsim() {
    "$dxsim" --profile "$1" --link "$2" >"$2.out" 2>&1 &
    sim=$!
    wait_for 50 test -e "$2" || { fail "native dxsim ($1) starts" "$(cat "$2.out")"; return 1; }
}
stop_dxsim() {
    kill "$sim" 2>/dev/null
    wait "$sim" 2>/dev/null
}

# arm_checks ARCH QEMU PROFILE FIRMWARE: the package's programs under qemu-user; the window is
# the package's front end driven by the snapshot program of the same build tree. The libraries
# are the multiarch ones that the packaging installed (/usr/lib/<triplet>, with their own
# loader): the cross toolchain's copy of the C library in /usr/<triplet> is another build, and
# mixing its loader with the multiarch libc hangs at start.
arm_checks() {
    local arch=$1 profile=$3 firmware=$4 x="$work/$1" p
    local qemu=("$2" -L /)
    local snapshot="$root/build/release-$arch/apps/qt/axistune_qt_snapshot"
    local shot="$logs/qt-window-$arch-$profile.png"
    for p in "$x"/usr/bin/*; do
        run_version "$arch: $(basename "$p") under qemu" "${qemu[@]}" "$p"
    done

    start_dxsim "$profile" "$work/$arch-cli" || return
    timeout -k 5 60 "${qemu[@]}" "$x/usr/bin/axistune-cli" backup --port "$work/$arch-cli" \
        --output "$work/$arch-backup.json" >"$work/$arch-backup.log" 2>&1
    check "$arch: axistune-cli backup against the native dxsim" \
        sh -c "[ $? -eq 0 ] && grep -q '\"version\"' '$work/$arch-backup.json'"
    stop_dxsim

    start_dxsim "$profile" "$work/$arch-window" || return
    rm -f "$shot"
    QT_QPA_PLATFORM=offscreen timeout -k 5 180 "${qemu[@]}" "$snapshot" --port "$work/$arch-window" \
        --out "$shot" --timeout-ms 120000 >"$work/$arch-window.log" 2>&1
    local rc=$?
    if [ "$rc" -eq 0 ] && grep -qx 'status:   Connection established\.' "$work/$arch-window.log" &&
        grep -qxF "firmware: $firmware" "$work/$arch-window.log" && [ -s "$shot" ]; then
        pass "$arch: the window connects to dxsim ($profile) under qemu; screenshot $shot"
    else
        fail "$arch: the window connects to dxsim ($profile) under qemu" \
            "exit $rc: $(grep -v '^QStandardPaths' "$work/$arch-window.log" | head -c 400)"
    fi
    stop_dxsim
}

logs="$root/build/test-logs"
mkdir -p "$logs"
arm_checks arm64 qemu-aarch64 dx5 "Firmware version: 1.0.0.12"
arm_checks armhf qemu-arm rv5 "Firmware version: 1.0.0.7"
exit 0
