#!/usr/bin/env bash
# Starts and stops the Wine session that the Windows tests share, in $WINEPREFIX.
#   wine_session.sh start   creates the prefix if needed and starts its wineserver
#   wine_session.sh stop    ends the wineserver and the Windows processes of the session
# A wineserver that a test started itself would keep ctest's output pipe open for the
# seconds it lingers after the test ends; this one is started apart, with no pipe of ctest's.
#
# When Xvfb is there, the session lives on an X display of its own, so that tests can make
# windows: Wine's desktop process, started here, keeps the display it starts with. Its
# number is in $WINEPREFIX/display; VEMO_XVFB_DISPLAY chooses it, else Xvfb takes a free one.
# The server ends with the session's wineserver.
set -euo pipefail
: "${WINEPREFIX:?}"
case "${1:-}" in
start)
    mkdir -p "$WINEPREFIX"
    rm -f "$WINEPREFIX/display"
    xvfb=""
    if command -v Xvfb >/dev/null; then
        ready=$WINEPREFIX/display.new
        : >"$ready"
        Xvfb ${VEMO_XVFB_DISPLAY:+":$VEMO_XVFB_DISPLAY"} -displayfd 3 -nolisten tcp \
            -screen 0 1280x1024x24 3>"$ready" </dev/null >/dev/null 2>&1 &
        xvfb=$!
        for _ in $(seq 100); do
            [[ -s "$ready" ]] && break
            sleep 0.1
        done
        if [[ -s "$ready" ]]; then
            export DISPLAY=:$(head -n1 "$ready")
            mv "$ready" "$WINEPREFIX/display"
        else
            echo "Xvfb did not start; the tests that make windows are skipped"
            kill "$xvfb" 2>/dev/null || true
            xvfb=""
        fi
    fi
    # Ends on its own a minute after the last Windows process, should ctest never stop it;
    # fails harmlessly when a session of an interrupted run is still there.
    wineserver -p60 </dev/null >/dev/null 2>&1 || true
    # Starts Wine's own services as well, which live as long as the wineserver; the first
    # start of a prefix also sets it up, in several seconds.
    log=$WINEPREFIX/wineboot.log
    if ! wine wineboot --init </dev/null >"$log" 2>&1; then
        cat "$log"
        exit 1
    fi
    if [[ -n "${xvfb:-}" ]]; then
        (wineserver -w; kill "$xvfb") </dev/null >/dev/null 2>&1 &
    fi
    ;;
stop)
    wineserver -k || true
    rm -f "$WINEPREFIX/display"
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
