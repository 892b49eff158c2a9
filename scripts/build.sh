#!/usr/bin/env bash
# Configures and builds one preset (default: release).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
jobs=$(nproc 2>/dev/null || echo 2)
if [ ! -f "build/$preset/CMakeCache.txt" ]; then
  cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" -j "$jobs"
