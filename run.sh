#!/usr/bin/env bash
# Installs what is missing, builds the program (Release, into build/) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target varmet
exec build/bin/varmet
