#!/usr/bin/env bash
# Saves a PNG of the program's whole main window, started on a private X server.
#
#   screenshot.sh OUTPUT.png [VARMET [XSHOT]]   (defaults: build/bin/varmet, build/bin/xshot)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUTPUT=$(realpath -m "${1:?usage: screenshot.sh OUTPUT.png [VARMET [XSHOT]]}")
PROGRAM=${2:-$ROOT/build/bin/varmet}
XSHOT=${3:-$ROOT/build/bin/xshot}
WORK=$(mktemp -d)
source "$(dirname "$0")/xsession.sh"

start_xvfb
start_program
window_geometry
sleep 1 # let the first tick fill the clock and the fields
"$XSHOT" "$OUTPUT" "$X" "$Y" "$WIDTH" "$HEIGHT"
echo "saved $OUTPUT (${WIDTH}x${HEIGHT})"
