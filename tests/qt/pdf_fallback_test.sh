#!/usr/bin/env bash
# Without a print system the protocol is not lost: it is saved as a PDF in
# the documents folder, named with the date and time, and its path is told.
# Also checks the PDF written on request (--pdf).
#
# Usage: pdf_fallback_test.sh path/to/elprops-cli
set -euo pipefail

cli=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/print_test_lib.sh"
need_tools pdftotext

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# No scheduler answers on this socket.
export CUPS_SERVER=$work/no-scheduler.sock
unset PRINTER LPDEST XDG_DOCUMENTS_DIR
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"
export SOURCE_DATE_EPOCH=1796738709
export QT_QPA_PLATFORM=offscreen

write_points "$work/points.csv"
"$cli" protocol "$work/points.csv" >"$work/expected.txt"

first=$("$cli" protocol "$work/points.csv" --print)
second=$("$cli" protocol "$work/points.csv" --print)
for path in "$first" "$second"; do
  case $path in
    "$HOME"/Documents/elprops-protocol-*.pdf) ;;
    *) echo "FAIL: the PDF is not in the documents folder: '$path'" >&2; exit 1 ;;
  esac
  [ -s "$path" ] || { echo "FAIL: $path was not written" >&2; exit 1; }
  pdf_matches_text "$path" "$work/expected.txt" "$work"
done
[ "$first" != "$second" ] || { echo "FAIL: the second protocol overwrote the first" >&2; exit 1; }

"$cli" protocol "$work/points.csv" --pdf "$work/asked.pdf"
pdf_matches_text "$work/asked.pdf" "$work/expected.txt" "$work"

# Nothing recorded: nothing printed, no empty page saved.
printf 'substance,concentration,temperature\n' >"$work/none.csv"
[ -z "$("$cli" protocol "$work/none.csv" --print)" ] || { echo "FAIL: an empty protocol was saved" >&2; exit 1; }
[ "$(find "$HOME/Documents" -name '*.pdf' | wc -l)" -eq 2 ] || { echo "FAIL: unexpected files in Documents" >&2; exit 1; }
echo "PASS: fallback PDFs $first and $second"
