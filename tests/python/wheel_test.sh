#!/usr/bin/env bash
# Builds the wheel the Python way, offline, from a copy of the sources
# (pip wheel --no-build-isolation with the system's setuptools), installs it
# into a fresh venv that sees the system's NumPy and imports it there: the
# worked example's density. In a venv without NumPy the import fails and
# says so. Exits 77 (skipped) where venv, pip, setuptools or wheel is
# missing.
#
# wheel_test.sh SOURCE_DIR PYTHON
set -euo pipefail
source=$1
python=$2

for module in venv ensurepip pip setuptools wheel; do
  if ! "$python" -c "import $module" 2>/dev/null; then
    echo "SKIPPED: $python cannot import $module (Debian: python3-venv python3-pip python3-setuptools python3-wheel)"
    exit 77
  fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/elprops-wheel-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

mkdir "$tmp/src"
tar -C "$source" --exclude=./build --exclude=./.git --exclude='*.egg-info' -cf - . | tar -C "$tmp/src" -xf -
# A compiler cache, where there is one, makes the next run quick.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$tmp" CCACHE_NOHASHDIR=1
fi

"$python" -m venv --system-site-packages "$tmp/venv"
if ! (cd "$tmp/src" && env -u PYTHONPATH "$tmp/venv/bin/pip" wheel --no-build-isolation --no-deps --no-index \
  -w "$tmp/wheels" .) >"$tmp/wheel.log" 2>&1; then
  cat "$tmp/wheel.log" >&2
  echo "FAIL: pip wheel" >&2
  exit 1
fi
wheel=$(find "$tmp/wheels" -name 'elprops-*.whl' | head -n 1)
[ -n "$wheel" ] || { echo "FAIL: no wheel in $tmp/wheels" >&2; exit 1; }
echo "wheel: $(basename "$wheel")"

# Installed from the wheel alone, it imports from the venv.
env -u PYTHONPATH "$tmp/venv/bin/pip" install --no-index --no-deps "$wheel" >"$tmp/install.log" 2>&1 ||
  { cat "$tmp/install.log" >&2; fail "pip install of the wheel"; }
if out=$(cd "$tmp" && env -u PYTHONPATH -u LD_LIBRARY_PATH "$tmp/venv/bin/python" -c \
  'import elprops; print(elprops.__file__); print(elprops.compute("NaCl", 0.1, 20).density)'); then
  echo "$out"
  case $(head -n 1 <<<"$out") in
    "$tmp/venv/"*) ;;
    *) fail "elprops was imported from $(head -n 1 <<<"$out"), not from the venv" ;;
  esac
  [ "$(tail -n 1 <<<"$out")" = 1070.6378 ] || fail "the density of the worked example is $(tail -n 1 <<<"$out")"
else
  fail "the installed wheel does not import"
fi

# Without NumPy the import says what is missing.
"$python" -m venv "$tmp/bare"
env -u PYTHONPATH "$tmp/bare/bin/pip" install --no-index --no-deps "$wheel" >"$tmp/bare.log" 2>&1 ||
  { cat "$tmp/bare.log" >&2; fail "pip install of the wheel without NumPy"; }
if err=$(cd "$tmp" && env -u PYTHONPATH "$tmp/bare/bin/python" -c 'import elprops' 2>&1); then
  fail "elprops imported without NumPy"
elif ! grep -q '^ImportError: elprops needs NumPy' <<<"$err"; then
  fail "without NumPy the import failed with: $(tail -n 1 <<<"$err")"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "wheel test passed"
