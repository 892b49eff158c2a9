#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh release
unset PRINTER LPDEST
export QT_QPA_PLATFORM=offscreen
ctest --preset release -j "$(nproc 2>/dev/null || echo 2)" "$@"
