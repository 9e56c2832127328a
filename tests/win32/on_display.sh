#!/usr/bin/env bash
# Runs a command on the X display of the tests' Wine session; exit 77 (skipped) when the
# session has none.
set -euo pipefail
if [[ ! -s "${WINEPREFIX:?}/display" ]]; then
    echo "the Wine session has no X display (Xvfb is not installed); skipped"
    exit 77
fi
DISPLAY=:$(head -n1 "$WINEPREFIX/display") exec "$@"
