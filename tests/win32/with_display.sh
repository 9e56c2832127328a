#!/usr/bin/env bash
# Runs a command with DISPLAY on an Xvfb of its own, on a display number that Xvfb picks
# itself, with openbox managing the windows (without a window manager Wine waits for each
# window it hides to be withdrawn), and stops both afterwards.
set -euo pipefail
command -v Xvfb >/dev/null || { echo "Xvfb missing; skipped"; exit 77; }
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
wm=
trap 'kill $wm "$xvfb" 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 30 number <"$fifo"
export DISPLAY=:$number
if command -v openbox >/dev/null; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
fi
"$@"
