#!/usr/bin/env bash
# Runs one test (its command line follows) with a home, settings, data, cache, runtime and
# temporary folder of its own, removed when it ends: whatever the test or the program keeps stays
# out of the user's folders and out of every other test's, also when tests run side by side.
set -euo pipefail
home=$(mktemp -d "${TMPDIR:-/tmp}/varmet-test.XXXXXX")
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/config" "$home/data" "$home/cache" "$home/runtime"
# Open to every user as /tmp is: tests that act as another user must reach their files.
chmod 755 "$home"
mkdir -m 1777 "$home/tmp"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
    XDG_CACHE_HOME=$home/cache XDG_RUNTIME_DIR=$home/runtime TMPDIR=$home/tmp
"$@"
