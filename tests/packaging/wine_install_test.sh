#!/usr/bin/env bash
# The Windows installer and zip as a user gets them: under Wine, in a fresh prefix, the
# installer runs silently over an older release and replaces it, the installed programs start,
# and the uninstaller removes them.
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
# The installer's pages show our pictures, and its finish page offers to start the program.
nsi="$root/build/release-win64/cpack/_CPack_Packages/win64/NSIS/project.nsi"
for define in MUI_HEADERIMAGE_BITMAP MUI_WELCOMEFINISHPAGE_BITMAP MUI_UNWELCOMEFINISHPAGE_BITMAP; do
    image=$(sed -n "s|^!define $define \"\(.*/packaging/windows/.*\.bmp\)\"\$|\1|p" "$nsi" 2>/dev/null)
    check "installer shows our $define" test -f "$image"
done
check "finish page offers to start axistune.exe" has_line "$nsi" '^!define MUI_FINISHPAGE_RUN .*\\axistune\.exe"$'

# An older release to install over: this tree under another version, with a file only it has.
mkdir -p "$work/older-only" && touch "$work/older-only/older-only.txt"
(cd "$root/build/release-win64" && cpack -G NSIS -B "$work/older" -D CPACK_PACKAGE_VERSION=0.1.0 \
    -D "CPACK_INSTALLED_DIRECTORIES=$work/older-only;." -D CPACK_NSIS_COMPRESSOR=zlib) \
    >"$work/older-cpack.log" 2>&1

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
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
entries() { timeout 60 wine reg query "$uninstall_key" /s >"$work/entries.txt" 2>&1; }
# An entry whose folder was deleted by hand leaves no uninstaller to run: the install goes on.
wine reg add "$uninstall_key\\AxisTune" /v UninstallString /d 'C:\gone\Uninstall.exe' /f >/dev/null 2>&1
timeout 120 wine "$work/older/AxisTune-0.1.0-win64-setup.exe" /S >"$work/older-setup.log" 2>&1
check "older installer /S over a stale entry installs" test $? -eq 0 -a -f "$instdir/older-only.txt"

timeout 120 wine "$setup" /S >"$work/setup.log" 2>&1
check "installer /S over the older release exits 0" test $? -eq 0
check "the older release's own files are gone" test ! -e "$instdir/older-only.txt"
entries
check "one uninstall entry after the upgrade: ...\\Uninstall\\AxisTune at $version" test \
    "$(grep -Ec 'DisplayName +REG_SZ +AxisTune' "$work/entries.txt")" -eq 1 -a "$(awk \
    '/^HKEY/ { k = /\\Uninstall\\AxisTune\r?$/ } k && $1 == "DisplayVersion" { print $3 }' \
    "$work/entries.txt" | tr -d '\r')" = "$version"
for p in $programs Uninstall.exe; do
    check "installed $p" test -f "$instdir/$p"
done
check "installed the notices" test -f "$instdir/notices/THIRD-PARTY-NOTICES.txt"
shortcut=$(find "$prefix/drive_c" -name 'AxisTune.lnk' -path '*Start Menu*' 2>/dev/null | head -n1)
check "Start-menu shortcut" test -n "$shortcut"
folders=$(find "$prefix/drive_c" -type d -path '*Start Menu*' -name 'AxisTune*' 2>/dev/null)
check "one Start-menu folder, \"AxisTune\", holds it" \
    test "$folders" = "${shortcut%/*}" -a "${shortcut%/*/*}/AxisTune" = "$folders"

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
# The uninstaller runs on from a copy of itself, and removes the shortcuts after the folder: its
# end is when the prefix has no process left.
timeout 120 wineserver -w
check "uninstaller removes the programs" test ! -e "$instdir"
check "uninstaller removes the shortcut" test ! -e "$shortcut"
entries
queried=$?
check "uninstaller removes the uninstall entry" \
    test $queried -eq 0 -a "$(grep -c AxisTune "$work/entries.txt")" -eq 0
exit 0
