#!/usr/bin/env bash
# Builds the wheel offline from a copy of the sources (pip wheel
# --no-build-isolation, the system's setuptools), installs it into a fresh
# venv that sees the system's NumPy and imports it there; in a venv without
# NumPy the import says that NumPy is missing. Exits 77 (skipped) without
# venv, pip, setuptools or wheel.
#
# wheel_test.sh SOURCE_DIR PYTHON
set -euo pipefail
source=$1
python=$2
"$python" -c 'import setuptools, ensurepip, pip, venv, wheel' 2>/dev/null || {
  echo "SKIPPED: $python lacks venv, pip, setuptools or wheel (Debian: python3-venv python3-setuptools python3-wheel)"
  exit 77
}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/elprops-wheel-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
mkdir "$tmp/src"
tar -C "$source" --exclude=./build --exclude=./.git --exclude='*.egg-info' -cf - . | tar -C "$tmp/src" -xf -
# A compiler cache, where there is one, makes the next run quick.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$tmp" CCACHE_NOHASHDIR=1
fi
unset PYTHONPATH LD_LIBRARY_PATH

"$python" -m venv --system-site-packages "$tmp/venv"
(cd "$tmp/src" && "$tmp/venv/bin/pip" wheel --no-build-isolation --no-deps --no-index -w "$tmp/wheels" .) \
  >"$tmp/wheel.log" 2>&1 || { cat "$tmp/wheel.log" >&2; fail "pip wheel"; }
wheel=$(find "$tmp/wheels" -name 'elprops-*.whl')
listing=$("$python" -m zipfile -l "$wheel")
for file in elprops/__init__.pyi elprops/py.typed elprops/_columns.py elprops/_records.py elprops/_arrays.py elprops/_errors.py; do
  grep -q "^$file " <<<"$listing" || fail "the wheel lacks $file"
done
"$tmp/venv/bin/pip" install --no-index --no-deps "$wheel" >/dev/null || fail "pip install $wheel"
out=$(cd "$tmp" && "$tmp/venv/bin/python" -c \
  'import elprops; print(elprops.__file__); print(elprops.compute("NaCl", 0.1, 20).density)') ||
  fail "the installed wheel does not import"
[[ $(head -n 1 <<<"$out") == "$tmp/venv/"* ]] || fail "elprops was not imported from the venv"
[ "$(tail -n 1 <<<"$out")" = 1070.6378 ] || fail "the worked example's density is not 1070.6378"

"$python" -m venv "$tmp/bare"
"$tmp/bare/bin/pip" install --no-index --no-deps "$wheel" >/dev/null || fail "pip install without NumPy"
if err=$(cd "$tmp" && "$tmp/bare/bin/python" -c 'import elprops' 2>&1); then fail "imported without NumPy"; fi
grep -q '^ImportError: elprops needs NumPy' <<<"$err" || fail "without NumPy: $(tail -n 1 <<<"$err")"
