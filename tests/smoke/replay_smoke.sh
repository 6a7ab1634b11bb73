#!/usr/bin/env bash
# Starts the real program replaying a short journal (--replay FILE --speed 50) on a private X
# server and checks, once the replay has had time to end, that the window shows the plotting
# board under the replay bar.
#
#   replay_smoke.sh VARMET XSHOT
set -euo pipefail
WORK=$(mktemp -d)
printf 'step LabeledEdit6 up 10\ntick 40\ncheck CheckBox1 on\ntick 10\n' >"$WORK/short.vjournal"
PROGRAM=$WORK/varmet-replay
printf '#!/bin/sh\nexec "%s" --replay "%s" --speed 50\n' "$1" "$WORK/short.vjournal" >"$PROGRAM"
chmod +x "$PROGRAM"
XSHOT=$2
source "$(dirname "$0")/xsession.sh"

start_xvfb
start_program
sleep 2
window_geometry
until "$XSHOT" "$WORK/replay.png" "$X" "$Y" "$WIDTH" "$HEIGHT" --check-board; do
    kill -0 "$PROGRAM_PID" 2>/dev/null || {
        echo "FAIL: the program ended; after the replay its window showed no plotting board" >&2
        exit 1
    }
    sleep 0.5
done
kill -0 "$PROGRAM_PID" # still running: the replay ended in the window, not the program
