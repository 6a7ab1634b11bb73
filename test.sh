#!/usr/bin/env bash
# Installs what is missing, builds (Release, into build/) and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure -j"$(nproc)"
# Opt-in: the same suite again built with the address and undefined-behaviour sanitizers.
if [ "${VARMET_SANITIZE:-0}" = 1 ]; then
    cd .. && scripts/sanitize.sh
fi
