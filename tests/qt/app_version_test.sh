#!/usr/bin/env bash
# The window program tells its name and version without needing a display,
# and says so when it cannot write them.
#
# Usage: app_version_test.sh path/to/elprops VERSION
set -euo pipefail

app=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$app" --version >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: --version exited with $status: $(cat "$work/err")" >&2; exit 1; }
printf 'elprops %s\n' "$version" >"$work/expected"
cmp -s "$work/expected" "$work/out" || { echo "FAIL: --version wrote '$(cat "$work/out")'" >&2; exit 1; }
[ ! -s "$work/err" ] || { echo "FAIL: --version wrote to standard error: $(cat "$work/err")" >&2; exit 1; }

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$app" --version >/dev/full 2>"$work/err" || status=$?
[ "$status" -ne 0 ] || { echo "FAIL: --version into a full device exited with 0" >&2; exit 1; }
grep -q 'No space left on device' "$work/err" || { echo "FAIL: no reason given: $(cat "$work/err")" >&2; exit 1; }
echo "PASS: elprops --version"
