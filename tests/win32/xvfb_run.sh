#!/usr/bin/env bash
# Runs a command with an X server of its own: Xvfb picks a free display, or takes
# VEMO_XVFB_DISPLAY when set. Exit 77 (skipped) when Xvfb is not installed.
set -uo pipefail
if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is not installed; skipped"
    exit 77
fi
ready=$(mktemp)
trap 'rm -f "$ready"' EXIT
if [[ -n "${VEMO_XVFB_DISPLAY:-}" ]]; then
    Xvfb ":$VEMO_XVFB_DISPLAY" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" 2>/dev/null &
else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" 2>/dev/null &
fi
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$ready"' EXIT
for _ in $(seq 100); do
    [[ -s "$ready" ]] && break
    kill -0 $xvfb 2>/dev/null || { echo "Xvfb did not start"; exit 1; }
    sleep 0.1
done
number=$(head -n1 "$ready")
[[ -n "$number" ]] || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$number "$@"
