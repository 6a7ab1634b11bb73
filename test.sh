#!/usr/bin/env bash
# Installs what is missing, builds (Release, into build/) and runs the whole test suite, then
# fuzzes the readers briefly; proves that the suite left the user's folders alone.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh
# Every file in the home and XDG folders that is newer than this, once the suite has run, is one
# the suite wrote there: none may be, apart from a compiler cache the build itself uses.
started=$(mktemp)
trap 'rm -f "$started"' EXIT
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure -j"$(nproc)"
cd ..
# The readers fuzzed for a fixed number of seeded mutations each (clang and libFuzzer, into
# build-fuzz/); VARMET_FUZZ=0 leaves it out.
if [ "${VARMET_FUZZ:-1}" != 0 ]; then
    scripts/fuzz.sh --quick
fi
# Opt-in: the same suite again built with the address and undefined-behaviour sanitizers.
if [ "${VARMET_SANITIZE:-0}" = 1 ]; then
    scripts/sanitize.sh
fi
written=$(find "$HOME" "${XDG_CONFIG_HOME:-$HOME/.config}" "${XDG_DATA_HOME:-$HOME/.local/share}" \
    "${XDG_CACHE_HOME:-$HOME/.cache}" -path '*/ccache' -prune -o -path '*/.ccache' -prune -o \
    ! -type d -newer "$started" -print 2>/dev/null | sort -u || true) # folders not there: none
if [ -n "$written" ]; then
    echo "FAIL: the test suite wrote into the user's folders:" >&2
    echo "$written" >&2
    exit 1
fi
echo "The user's folders are as they were: nothing written under $HOME."
