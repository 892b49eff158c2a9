#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the tests and the window need
# and is not there yet. Quiet and quick when everything is installed.
set -euo pipefail

packages=(
  g++ make cmake pkg-config python3
  python3-dev python3-numpy python3-pandas python3-iapws python3-matplotlib pybind11-dev
  python3-venv python3-pip python3-setuptools python3-wheel
  qt6-base-dev qt6-svg-dev libgl-dev
  libcli11-dev libfmt-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev clang-format
  xvfb xauth x11-utils
  cups cups-client cups-filters poppler-utils libcups2-dev
  fonts-dejavu-core fonts-liberation2
  dpkg-dev file lintian desktop-file-utils appstream bash-completion
  locales
  libreoffice-calc libreoffice-script-provider-python python3-uno libreoffice-dev
)

# The regional settings the tests run under, besides C and C.UTF-8 (which
# glibc always has).
locales=(ru_RU.UTF-8 en_US.UTF-8)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# "ru_RU.UTF-8" is listed by `locale -a` as "ru_RU.utf8".
missing_locales=()
for l in "${locales[@]}"; do
  short=$(printf '%s' "$l" | sed 's/UTF-8$/utf8/')
  if ! locale -a 2>/dev/null | grep -qx -e "$l" -e "$short"; then
    missing_locales+=("$l")
  fi
done

[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
  else
    echo "error: this user cannot install what is missing: ${missing[*]} ${missing_locales[*]}" >&2
    echo "Run this script as root, or install sudo." >&2
    exit 1
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Generating a locale twice does no harm: the line is enabled in
# /etc/locale.gen once, and locale-gen rebuilds what is enabled.
if [ ${#missing_locales[@]} -gt 0 ]; then
  echo "Generating locales: ${missing_locales[*]}"
  for l in "${missing_locales[@]}"; do
    line="$l UTF-8"
    if grep -qx "# *$line" /etc/locale.gen 2>/dev/null; then
      "${sudo[@]}" sed -i "s/^# *$line\$/$line/" /etc/locale.gen
    elif ! grep -qx "$line" /etc/locale.gen 2>/dev/null; then
      echo "$line" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  done
  "${sudo[@]}" locale-gen >/dev/null
fi
