#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the tests and the window need
# and is not there yet. Quiet and quick when everything is installed.
set -euo pipefail

packages=(
  g++ make cmake pkg-config python3
  qt6-base-dev qt6-svg-dev libgl-dev
  libcli11-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev clang-format
  xvfb xauth x11-utils
  cups cups-client cups-filters poppler-utils
  fonts-dejavu-core fonts-liberation2
  dpkg-dev file lintian desktop-file-utils appstream bash-completion
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
  else
    echo "error: these packages are missing and this user cannot install them: ${missing[*]}" >&2
    echo "Run this script as root, or install sudo." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
