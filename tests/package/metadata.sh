#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass their validators: no error and no warning
# (desktop-file-validate's hints are advice and pass; the entry's two main categories are meant).
#
#   metadata.sh DESKTOP_FILE METAINFO_FILE
set -euo pipefail
DESKTOP=$1
METAINFO=$2
status=0

if ! out=$(desktop-file-validate "$DESKTOP" 2>&1) || grep -qE '(error|warning):' <<<"$out"; then
    echo "FAIL: desktop-file-validate $DESKTOP" >&2
    echo "$out" >&2
    status=1
fi
# The metadata is kept free of every remark, down to the pedantic ones.
if ! out=$(appstreamcli validate --no-net --pedantic --no-color "$METAINFO" 2>&1) \
    || grep -qE '^[EWIP]: ' <<<"$out"; then
    echo "FAIL: appstreamcli validate $METAINFO" >&2
    echo "$out" >&2
    status=1
fi
exit $status
