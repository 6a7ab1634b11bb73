#!/usr/bin/env bash
# Starts the real program on a private X server, waits for its main window, takes a screenshot
# and checks that the window shows the plotting board with its grid. Prints the start-up time
# (process start to mapped window) without judging it.
#
#   smoke.sh VARMET XSHOT [SCREENSHOT.png]
set -euo pipefail

PROGRAM=$1
XSHOT=$2
WORK=$(mktemp -d)
source "$(dirname "$0")/xsession.sh"
SHOT=${3:-$WORK/smoke.png} # kept only when named

start_xvfb
start_program
echo "start-up time: ${STARTUP_MS} ms (process start to mapped window)"
echo "window: $(xdotool getwindowname "$WINDOW_ID")"
window_geometry

# The first paint may follow the mapping: look again while the program runs (the test's time
# limit ends a window that never shows the board).
until "$XSHOT" "$SHOT" "$X" "$Y" "$WIDTH" "$HEIGHT" --check-board; do
    kill -0 "$PROGRAM_PID" 2>/dev/null || {
        echo "FAIL: the program ended; its window ${WIDTH}x${HEIGHT} showed no plotting board" >&2
        [[ -n "${3:-}" ]] && echo "screenshot: $SHOT" >&2
        exit 1
    }
    sleep 0.5
done
