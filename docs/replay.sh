#!/usr/bin/env bash
# Replays docs/attack.vjournal in the real program at 20 ticks a second on a private X server and
# takes a screenshot of the window once the replay has ended (docs/replay.png).
#
#   docs/replay.sh BUILD_DIR [OUTPUT.png]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "$1" && pwd)
OUT=${2:-$HERE/replay.png}
WORK=$(mktemp -d)
# A private settings folder: a window size remembered from another run must not shape the picture.
export XDG_CONFIG_HOME=$WORK
JOURNAL=$HERE/attack.vjournal
SPEED=20
PROGRAM=$WORK/varmet-replay
printf '#!/bin/sh\nexec "%s" --replay "%s" --speed %s\n' "$BUILD/bin/varmet" "$JOURNAL" "$SPEED" >"$PROGRAM"
chmod +x "$PROGRAM"
source "$HERE/../tests/smoke/xsession.sh"

start_xvfb
start_program
TICKS=$(awk '$1 == "tick" { n += ($2 == "" ? 1 : $2) } END { print n }' "$JOURNAL")
sleep $((TICKS / SPEED + 3))
window_geometry
"$BUILD/bin/xshot" "$OUT" "$X" "$Y" "$WIDTH" "$HEIGHT"
echo "replayed $TICKS ticks at $SPEED a second: $OUT"
