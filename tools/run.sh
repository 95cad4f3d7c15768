#!/usr/bin/env bash
# Sets up, builds and starts the calculator. Arguments go to quilvar unchanged (a host's query
# and head count: see the README).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILVAR_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)"
exec build/release/app/quilvar "$@"
