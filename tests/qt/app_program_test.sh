#!/usr/bin/env bash
# The window program tells its name and version without needing a display,
# and says so when it cannot write them; started offscreen without a
# runtime folder, it writes none of Qt's noise on standard error.
#
# Usage: app_program_test.sh path/to/elprops VERSION
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

# --help answers without a display; an argument that is neither ours nor
# Qt's is refused before any window opens.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$app" --help >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: --help exited with $status" >&2; exit 1; }
grep -q '^Usage: elprops ' "$work/out" || { echo "FAIL: --help wrote '$(cat "$work/out")'" >&2; exit 1; }
for args in "--frobnicate" "data.csv" "-style"; do
  status=0
  # shellcheck disable=SC2086 # one or more words on purpose
  QT_QPA_PLATFORM=offscreen timeout 5 "$app" $args >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || { echo "FAIL: '$args' exited with $status" >&2; exit 1; }
  grep -q 'unknown argument' "$work/err" || { echo "FAIL: '$args' said '$(cat "$work/err")'" >&2; exit 1; }
done

# The window runs until it is stopped (timeout's exit status 124); the
# platform plugin's warnings about the runtime folder and window hints are
# not the user's business.
status=0
timeout -s TERM 3 env -u XDG_RUNTIME_DIR -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$app" \
  >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 124 ] || { echo "FAIL: the window program ended with $status: $(cat "$work/err")" >&2; exit 1; }
[ ! -s "$work/err" ] || { echo "FAIL: noise on standard error: $(cat "$work/err")" >&2; exit 1; }
echo "PASS: elprops --version, and a quiet start"
