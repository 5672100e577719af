#!/usr/bin/env bash
# The Windows installer and zip as a user gets them: under Wine, in a fresh prefix, the
# installer runs silently, the installed programs start, and the uninstaller removes them.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
setup="$packages/AxisTune-$version-win64-setup.exe"
zip="$packages/AxisTune-$version-win64.zip"
work="$root/build/package-tests/wine"
prefix="$work/prefix"
rm -rf "$work"
mkdir -p "$work"

# The programs the package carries: those in the zip.
unzip -d "$work/zip" -q "$zip" || { fail "zip opens" "unzip $zip"; exit 0; }
portable="$work/zip/AxisTune-$version-win64"
check "zip has axistune.exe" test -f "$portable/axistune.exe"
check "zip has the README and the notices" test -f "$portable/README.md" -a \
    -f "$portable/notices/THIRD-PARTY-NOTICES.txt" -a \
    -f "$portable/notices/mingw-w64-runtime-and-winpthreads.txt" -a \
    -f "$portable/notices/gcc-runtime-libraries.txt"
programs=$(cd "$portable" && ls ./*.exe | sed 's|^\./||')
for p in $programs; do
    if x86_64-w64-mingw32-objdump -h "$portable/$p" | grep -q '\.debug'; then
        fail "$p is stripped" "it has debug sections"
    else
        pass "$p is stripped"
    fi
done

export WINEPREFIX="$prefix" WINEDEBUG=-all
# winemenubuilder would copy the Start-menu entries into the user's desktop menus.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
xvfb_pid=""
app_pid=""
cleanup() {
    timeout 30 wineserver -k >/dev/null 2>&1
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
. "$root/scripts/xvfb.sh"
start_xvfb "$work" || { fail "Xvfb starts" "see $work/xvfb.log"; exit 0; }
export DISPLAY="$xvfb_display"
timeout 300 "$root/scripts/wine-prefix.sh" create "$prefix" >"$work/prefix.log" 2>&1 ||
    { fail "fresh Wine prefix" "see $work/prefix.log"; exit 0; }

instdir="$prefix/drive_c/Program Files/AxisTune"
timeout 120 wine "$setup" /S >"$work/setup.log" 2>&1
check "installer /S exits 0" test $? -eq 0
for p in $programs Uninstall.exe; do
    check "installed $p" test -f "$instdir/$p"
done
check "installed the notices" test -f "$instdir/notices/THIRD-PARTY-NOTICES.txt"
shortcut=$(find "$prefix/drive_c" -name 'AxisTune.lnk' -path '*Start Menu*' 2>/dev/null | head -n1)
check "Start-menu shortcut" test -n "$shortcut"

wine "$instdir/axistune.exe" >"$work/axistune.log" 2>&1 &
app_pid=$!
pattern="^${caption//./\\.}\$"
if wait_for 300 sh -c "xdotool search --name '$pattern' >/dev/null 2>&1"; then
    pass "installed axistune.exe shows its main window \"$caption\""
else
    fail "installed axistune.exe shows its main window" "no window \"$caption\" in 30 s"
fi
timeout 30 wineserver -k >/dev/null 2>&1
wait "$app_pid" 2>/dev/null
app_pid=""

if [ -f "$instdir/axistune-cli.exe" ]; then
    timeout 60 wine "$instdir/axistune-cli.exe" --version >"$work/cli-version.out" 2>&1
    if has_line "$work/cli-version.out" "axistune-cli $version"; then
        pass "installed axistune-cli.exe --version"
    else
        fail "installed axistune-cli.exe --version" "printed: $(tr -d '\r' <"$work/cli-version.out")"
    fi
fi

timeout 120 wine "$instdir/Uninstall.exe" /S >"$work/uninstall.log" 2>&1
# The uninstaller runs on from a copy of itself; its end is when the folder is gone.
check "uninstaller removes the programs" wait_for 600 test ! -e "$instdir"
check "uninstaller removes the shortcut" test ! -e "$shortcut"
exit 0
