#!/usr/bin/env bash
# A PDF that cannot be written whole is never reported as written: a file
# size limit (ulimit -f), a full disk and a read-only folder (on a small
# private tmpfs, where the system allows one), a missing folder. The older
# file of the same name stays as it was, no partial file is left, and the
# reason is the system's, with no noise of Qt's on standard error. Also the
# PDF on standard output, an empty --pdf name, and a run with nothing to
# print.
#
# Usage: pdf_faults_test.sh path/to/elprops-cli
set -euo pipefail

cli=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/print_test_lib.sh"
need_tools pdftotext

work=$(mktemp -d)
mounted=
cleanup() {
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# No scheduler answers on this socket; no runtime folder, as in a bare
# terminal session.
export CUPS_SERVER=$work/no-scheduler.sock
unset PRINTER LPDEST XDG_DOCUMENTS_DIR XDG_RUNTIME_DIR
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME/Documents"
export SOURCE_DATE_EPOCH=1796738709
export QT_QPA_PLATFORM=offscreen
# The system's reasons are compared in English.
export LC_ALL=C.UTF-8

write_points "$work/points.csv"
"$cli" protocol "$work/points.csv" >"$work/expected.txt"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# run NAME ARGS...: runs the program, keeping its exit status, standard
# output and standard error in $work/NAME.{status,out,err}.
run() {
  local name=$1
  shift
  local status=0
  "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
  echo "$status" >"$work/$name.status"
}

# expect_error NAME STATUS TEXT: exit status STATUS and one line on standard
# error that contains TEXT; nothing from Qt.
expect_error() {
  local name=$1 status=$2 text=$3
  [ "$(cat "$work/$name.status")" = "$status" ] ||
    fail "$name: exit status $(cat "$work/$name.status"), not $status; stderr: $(cat "$work/$name.err")"
  text_tool grep -qF -- "$text" "$work/$name.err" || fail "$name: no '$text' in: $(cat "$work/$name.err")"
  [ "$(wc -l <"$work/$name.err")" -eq 1 ] || fail "$name: more than one line on standard error: $(cat "$work/$name.err")"
  ! text_tool grep -qE 'XDG_RUNTIME_DIR|QPainter|QStandardPaths' "$work/$name.err" ||
    fail "$name: Qt's noise on standard error: $(cat "$work/$name.err")"
}

# The folder holds exactly the files named.
expect_files() {
  local folder=$1
  shift
  local expected actual
  expected=$(printf '%s\n' "$@" | sort)
  actual=$(cd "$folder" && find . -mindepth 1 -maxdepth 1 -printf '%f\n' | sort)
  [ "$expected" = "$actual" ] || fail "files in $folder: '$actual', expected '$expected'"
}

# The file-size limit: the write fails with "File too large" instead of
# the signal killing the program; the older protocol stays.
mkdir "$work/limited"
echo "older protocol" >"$work/limited/protocol.pdf"
run limit bash -c 'ulimit -f 8 && exec "$@"' - "$cli" protocol "$work/points.csv" --pdf "$work/limited/protocol.pdf"
expect_error limit 2 'File too large'
text_tool grep -qF "$work/limited/protocol.pdf" "$work/limit.err" || fail "limit: the file is not named"
[ "$(cat "$work/limited/protocol.pdf")" = "older protocol" ] || fail "limit: the older protocol was changed"
expect_files "$work/limited" protocol.pdf

# The same limit on the fallback PDF of --print: not saved, and why.
run fallback bash -c 'ulimit -f 8 && exec "$@"' - "$cli" protocol "$work/points.csv" --print
expect_error fallback 2 'File too large'
text_tool grep -qF 'not saved' "$work/fallback.err" || fail "fallback: does not say the protocol was not saved"
[ ! -s "$work/fallback.out" ] || fail "fallback: a path was written: $(cat "$work/fallback.out")"
expect_files "$HOME/Documents"

# A missing folder, a file in place of a folder, a folder in place of the
# file.
touch "$work/plain-file"
run missing "$cli" protocol "$work/points.csv" --pdf "$work/missing/protocol.pdf"
expect_error missing 2 "cannot write the PDF \"$work/missing/protocol.pdf\": No such file or directory"
run notdir "$cli" protocol "$work/points.csv" --pdf "$work/plain-file/protocol.pdf"
expect_error notdir 2 'Not a directory'
run isdir "$cli" protocol "$work/points.csv" --pdf "$work/limited"
expect_error isdir 2 'Is a directory'

# A full disk and a read-only folder: small file systems of their own, in
# a mount namespace of their own (needs root and unshare; skipped otherwise).
if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null 2>&1 && unshare -m true 2>/dev/null; then
  mkdir -p "$work/small" "$work/readonly"
  # shellcheck disable=SC2016
  run full unshare -m bash -c '
    mount -t tmpfs -o size=16k tmpfs "$1" && mount -t tmpfs -o ro,size=16k tmpfs "$2" || exit 99
    echo "older protocol" >"$1/protocol.pdf"
    "$3" protocol "$4" --pdf "$1/protocol.pdf"
    status=$?
    [ "$(cat "$1/protocol.pdf")" = "older protocol" ] || { echo "the older protocol was changed" >&2; exit 98; }
    [ "$(ls -A "$1")" = "protocol.pdf" ] || { echo "files left: $(ls -A "$1")" >&2; exit 98; }
    "$3" protocol "$4" --pdf "$2/protocol.pdf" 2>"$5"
    [ $? -eq 2 ] || exit 97
    exit $status' - "$work/small" "$work/readonly" "$cli" "$work/points.csv" "$work/readonly.err"
  if [ "$(cat "$work/full.status")" = 99 ]; then
    echo "note: no tmpfs could be mounted; full disk and read-only folder not tried" >&2
  else
    expect_error full 2 'No space left on device'
    [ "$(cat "$work/readonly.err")" = "elprops-cli: cannot write the PDF \"$work/readonly/protocol.pdf\": Read-only file system" ] ||
      fail "read-only folder: $(cat "$work/readonly.err")"
    mounted=1
  fi
fi

# The PDF on standard output: the same protocol; a failed write is said.
"$cli" protocol "$work/points.csv" --pdf - >"$work/stdout.pdf"
head -c 5 "$work/stdout.pdf" | grep -q '^%PDF-' || fail "--pdf -: standard output is no PDF"
pdf_matches_text "$work/stdout.pdf" "$work/expected.txt" "$work"
run devfull bash -c 'exec "$@" >/dev/full' - "$cli" protocol "$work/points.csv" --pdf -
expect_error devfull 2 'No space left on device'

# Binary on a terminal is refused (script gives the program a terminal).
if command -v script >/dev/null 2>&1; then
  status=0
  script -qec "'$cli' protocol '$work/points.csv' --pdf -" /dev/null >"$work/tty.out" 2>&1 </dev/null || status=$?
  [ "$status" -eq 2 ] || fail "--pdf - on a terminal: exit status $status: $(cat "$work/tty.out")"
  text_tool grep -q 'standard output is a terminal' "$work/tty.out" || fail "--pdf - on a terminal: $(cat "$work/tty.out")"
  ! grep -q '%PDF' "$work/tty.out" || fail "--pdf - on a terminal: the PDF went to the terminal"
fi

# An empty name is a usage error, not "no PDF asked for".
run empty "$cli" protocol "$work/points.csv" --pdf ""
expect_error empty 2 '--pdf needs a file name'
[ ! -s "$work/empty.out" ] || fail "--pdf '': the protocol was written as text"

# Nothing to print: exit 1, and the older file is not taken for this run's.
printf 'substance,concentration,temperature\n' >"$work/none.csv"
echo "older protocol" >"$work/older.pdf"
run nothing "$cli" protocol "$work/none.csv" --pdf "$work/older.pdf"
expect_error nothing 1 "\"$work/older.pdf\" was not written"
[ "$(cat "$work/older.pdf")" = "older protocol" ] || fail "nothing to print: the older file was changed"
run nothing_stdout "$cli" protocol "$work/none.csv" --pdf -
expect_error nothing_stdout 1 'no PDF was written'
[ ! -s "$work/nothing_stdout.out" ] || fail "nothing to print: something was written to standard output"

echo "PASS: PDF failures reported${mounted:+ (full disk and read-only folder included)}"
