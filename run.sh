#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "elprops: no display found (DISPLAY is not set). To run without a screen: xvfb-run -a ./run.sh" >&2
  exit 1
fi
exec build/release/app/elprops "$@"
