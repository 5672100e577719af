# Sourced by the scripts that need a display of their own (POSIX sh).
#
#   start_xvfb WORKDIR   starts Xvfb on a free display number that Xvfb picks itself; sets
#                        xvfb_pid and xvfb_display (":N"). The caller ends it (kill $xvfb_pid).
#                        Fails, with Xvfb's log on stderr, when no display came up within 10 s.
start_xvfb() {
    xvfb_work=$1
    rm -f "$xvfb_work/display"
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$xvfb_work/display" \
        >"$xvfb_work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    xvfb_tries=0
    until [ -s "$xvfb_work/display" ]; do
        xvfb_tries=$((xvfb_tries + 1))
        if [ $xvfb_tries -gt 200 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
            echo "Xvfb did not start:" >&2
            cat "$xvfb_work/xvfb.log" >&2
            return 1
        fi
        sleep 0.05
    done
    xvfb_display=":$(cat "$xvfb_work/display")"
}
