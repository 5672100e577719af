#!/bin/sh
# Wine prefixes for the tests and the quick start.
#
#   wine-prefix.sh create PREFIX
#       Creates PREFIX once (wineboot -i under a lock; later calls return at once). Mono and
#       Gecko installers are kept away and the X11 driver runs unmanaged (Managed=N), which keeps
#       hidden windows from stalling on an Xvfb without a window manager.
#   wine-prefix.sh map-com PREFIX N PATH [N PATH ...]
#       Reserves COMn for PATH (typically a symlink to a pseudo-terminal) in
#       HKLM\Software\Wine\Ports, restarts the prefix's wineserver so that the mount manager
#       rebuilds dosdevices/comN from that value, and verifies the result. Every Wine process of
#       PREFIX is ended by the restart: use a prefix of your own. The mapping is kept in the
#       prefix; each later start of the prefix's mount manager rebuilds the same link.
#   wine-prefix.sh verify-com PREFIX N PATH
#       Exit 0 when dosdevices/comN of PREFIX leads to PATH.
#   wine-prefix.sh kill PREFIX
#       Ends the prefix's wineserver and every Wine process in it.
set -eu

die() {
    echo "wine-prefix.sh: $*" >&2
    exit 2
}

wine_env() {
    export WINEPREFIX="$1"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"
}

cmd_create() {
    prefix=$1
    ready="$prefix/.axistune-ready"
    [ -f "$ready" ] && return 0
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            wine_env "$prefix"
            wineboot -i >/dev/null 2>&1 || die "wineboot -i failed for $prefix"
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
                >/dev/null 2>&1 || die "cannot set the X11 driver to unmanaged in $prefix"
            # The registry reaches the disk when the server ends.
            wineserver -w
            touch "$ready"
        fi
    ) 9>"$prefix.lock"
}

cmd_verify_com() {
    prefix=$1 n=$2 path=$3
    link="$prefix/dosdevices/com$n"
    [ -L "$link" ] && [ "$(readlink "$link")" = "$path" ]
}

write_ports() {
    while [ $# -gt 0 ]; do
        wine reg add 'HKLM\Software\Wine\Ports' /v "COM$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 ||
            die "cannot write HKLM\\Software\\Wine\\Ports\\COM$1"
        shift 2
    done
}

verify_ports() {
    prefix=$1
    shift
    while [ $# -gt 0 ]; do
        cmd_verify_com "$prefix" "$1" "$2" ||
            die "COM$1 of $prefix does not lead to $2: $(ls -l "$prefix/dosdevices" 2>&1)"
        shift 2
    done
}

cmd_map_com() {
    prefix=$1
    shift
    [ $(($# % 2)) -eq 0 ] && [ $# -gt 0 ] || die "map-com needs pairs of port number and path"
    cmd_create "$prefix"
    wine_env "$prefix"
    write_ports "$@"
    # The mount manager reads the Ports key only when it starts, which happens with the first
    # Wine process after the server has ended.
    wineserver -k 2>/dev/null || true
    wineserver -w
    wine cmd /c exit >/dev/null 2>&1 || true
    verify_ports "$prefix" "$@"
    # Leave no server behind: the next Wine process starts its own, with its own display.
    wineserver -k 2>/dev/null || true
    wineserver -w
}

cmd_kill() {
    wine_env "$1"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

[ $# -ge 2 ] || die "usage: wine-prefix.sh create|map-com|verify-com|kill PREFIX [args]"
command=$1
shift
case "$command" in
    create) cmd_create "$1" ;;
    map-com) cmd_map_com "$@" ;;
    verify-com) [ $# -eq 3 ] || die "verify-com PREFIX N PATH"; cmd_verify_com "$@" ;;
    kill) cmd_kill "$1" ;;
    *) die "unknown command $command" ;;
esac
