#!/usr/bin/env bash
# Starts and stops the Wine session that the Windows tests share, in $WINEPREFIX.
#   wine_session.sh start   creates the prefix if needed and starts its wineserver
#   wine_session.sh stop    ends the wineserver and the Windows processes of the session
# A wineserver that a test started itself would keep ctest's output pipe open for the
# seconds it lingers after the test ends; this one is started apart, with no pipe of ctest's.
set -euo pipefail
: "${WINEPREFIX:?}"
case "${1:-}" in
start)
    mkdir -p "$WINEPREFIX"
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
    ;;
stop)
    wineserver -k || true
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
