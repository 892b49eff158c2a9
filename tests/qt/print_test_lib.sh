# Shared by the print tests: a points file, the comparison of a PDF's text
# with the text protocol, and a temporary folder removed on exit.

# A run with several salts and water, in recording order.
write_points() {
  cat >"$1" <<'CSV'
substance,concentration,temperature
NaCl,0.1,20
H2O,0,20
KCl,0.2,60
NaCl,0.05,40
CaCl2,0.3,20
H2O,0,80
MgCl2,0.8,20
K2CO3,0.25,50
CSV
}

# The text tools read UTF-8 whatever the caller's regional settings: under
# the C locale grep and sed count bytes, so a pattern of 75 em dashes would
# never match. C.UTF-8 is always there on Debian.
text_tool() {
  LC_ALL=C.UTF-8 "$@"
}

# Lines without form feeds, runs of blanks squeezed to one, no blank at
# either end, no empty line: pdftotext -layout places words by position, so
# only the sequence of words on each line can be compared exactly.
normalise() {
  text_tool tr -d '\f' | text_tool sed -e 's/[[:space:]]\{1,\}/ /g' -e 's/^ //' -e 's/ $//' |
    { text_tool grep -v '^$' || true; }
}

# Compares the text of a PDF with the expected text protocol.
pdf_matches_text() {
  local pdf=$1 expected=$2 work=$3
  pdftotext -layout "$pdf" "$work/actual.txt"
  normalise <"$expected" >"$work/expected.norm"
  normalise <"$work/actual.txt" >"$work/actual.norm"
  if ! text_tool diff -u "$work/expected.norm" "$work/actual.norm"; then
    echo "FAIL: the text of $pdf differs from the protocol" >&2
    return 1
  fi
  # The rule lines come through whole: 75 em dashes each.
  if ! text_tool grep -q '^—\{75\}$' "$work/actual.norm"; then
    echo "FAIL: no rule line of 75 em dashes in $pdf" >&2
    return 1
  fi
}

need_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)" >&2
      exit 77
    fi
  done
}
