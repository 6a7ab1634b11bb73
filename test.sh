#!/usr/bin/env bash
# Installs what is missing, builds (Release, into build/) and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh
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
