#!/usr/bin/env bash
# Builds the Debian packages from the build tree with cpack and checks their
# contents and control fields; runs lintian on them where it is installed.
# Exits 77 (skipped) where the Debian tools are missing.
#
# package_test.sh BUILD_DIR VERSION [PYTHON_VERSION]
# With PYTHON_VERSION (MAJOR.MINOR, when the Python module is built) a third
# package, python3-elprops, is expected; with ELPROPS_EXPECT_CALC=1 in the
# environment (when the Calc extension is built) elprops-libreoffice too.
set -euo pipefail
build=$1
version=$2
python_version=${3:-}

for tool in dpkg-deb dpkg-shlibdeps cpack readelf file; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed; the Debian packages cannot be built here (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/elprops-package-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
runtime=$tmp/elprops_${version}_${arch}.deb
dev=$tmp/libelprops-dev_${version}_${arch}.deb
python=$tmp/python3-elprops_${version}_${arch}.deb
calc=$tmp/elprops-libreoffice_${version}_all.deb
packages=("$runtime" "$dev")
[ -n "$python_version" ] && packages+=("$python")
[ "${ELPROPS_EXPECT_CALC:-}" = 1 ] && packages+=("$calc")
ls -1 "$tmp"/*.deb
for deb in "${packages[@]}"; do
  [ -f "$deb" ] || fail "no $(basename "$deb")"
done
count=$(find "$tmp" -maxdepth 1 -name '*.deb' | wc -l)
[ "$count" -eq ${#packages[@]} ] || fail "$count packages, not ${#packages[@]}"
[ "$failures" -eq 0 ] || exit 1

field() { dpkg-deb -f "$1" "$2"; }
contents() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's|^\./|/|'; }

# --- Control fields --------------------------------------------------------
check_field() {
  local deb=$1 name=$2 pattern=$3 value
  value=$(field "$deb" "$name")
  grep -Eq -- "$pattern" <<<"$value" || fail "$(basename "$deb"): $name is '$value', expected /$pattern/"
}
for deb in "${packages[@]}"; do
  check_field "$deb" Version "^${version//./\\.}$"
  if [ "$deb" = "$calc" ]; then
    check_field "$deb" Architecture "^all$" # Python and data only
  else
    check_field "$deb" Architecture "^${arch}$"
  fi
  check_field "$deb" Maintainer "^elprops developers <[^@ ]+@[^> ]+>$"
  check_field "$deb" Priority "^optional$"
  check_field "$deb" Description "^properties of aqueous electrolyte solutions"
done
check_field "$runtime" Package "^elprops$"
check_field "$runtime" Section "^science$"
# Found by dpkg-shlibdeps in the programs and the library.
for dependency in libc6 libstdc\\+\\+6 libgcc-s1 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
  qt6-qpa-plugins; do
  check_field "$runtime" Depends "(^|, )${dependency}( |,|$)"
done
check_field "$runtime" Recommends "fonts-liberation2"
check_field "$dev" Package "^libelprops-dev$"
check_field "$dev" Section "^libdevel$"
check_field "$dev" Depends "^elprops \\(= ${version//./\\.}\\)$"

if [ -n "$python_version" ]; then
  check_field "$python" Package "^python3-elprops$"
  check_field "$python" Section "^python$"
  next_minor=$((${python_version#*.} + 1))
  for dependency in "python3 \\(>= ${python_version//./\\.}~\\)" "python3 \\(<< ${python_version%%.*}\\.${next_minor}\\)" \
    python3-numpy "elprops \\(= ${version//./\\.}\\)" libc6 libstdc\\+\\+6; do
    check_field "$python" Depends "(^|, )${dependency}(,|$| )"
  done
fi

if [ "${ELPROPS_EXPECT_CALC:-}" = 1 ]; then
  check_field "$calc" Package "^elprops-libreoffice$"
  for dependency in "python3-elprops \\(>= ${version//./\\.}\\)" python3-uno libreoffice-calc; do
    check_field "$calc" Depends "(^|, )${dependency}(,|$| )"
  done
fi

# The library's shlibs entry lets other packages depend on it.
shlibs=$(dpkg-deb -I "$runtime" shlibs 2>/dev/null || true)
grep -Eq "^libelprops 2 elprops \\(>= ${version//./\\.}\\)$" <<<"$shlibs" || fail "shlibs is '$shlibs'"
dpkg-deb -I "$runtime" triggers 2>/dev/null | grep -qx "activate-noawait ldconfig" || fail "no ldconfig trigger"

# --- Contents ----------------------------------------------------------------
contents "$runtime" >"$tmp/runtime.txt"
contents "$dev" >"$tmp/dev.txt"
echo "--- elprops"
cat "$tmp/runtime.txt"
echo "--- libelprops-dev"
cat "$tmp/dev.txt"
if [ -n "$python_version" ]; then
  contents "$python" >"$tmp/python.txt"
  echo "--- python3-elprops"
  cat "$tmp/python.txt"
fi

has() {
  local list=$1 pattern=$2
  grep -Eq "^${pattern}$" "$list" || fail "$(basename "$list" .txt): nothing matches $pattern"
}
lacks() {
  local list=$1 pattern=$2
  if grep -Eq "$pattern" "$list"; then fail "$(basename "$list" .txt): should not hold $pattern"; fi
}
libdir='/usr/lib(/[a-z0-9_]+-linux-[a-z0-9_]+)?'
has "$tmp/runtime.txt" '/usr/bin/elprops'
has "$tmp/runtime.txt" '/usr/bin/elprops-cli'
has "$tmp/runtime.txt" "${libdir}/libelprops\\.so\\.${version//./\\.}"
has "$tmp/runtime.txt" "${libdir}/libelprops\\.so\\.2"
has "$tmp/runtime.txt" '/usr/share/applications/elprops\.desktop'
has "$tmp/runtime.txt" '/usr/share/icons/hicolor/scalable/apps/elprops\.svg'
has "$tmp/runtime.txt" '/usr/share/metainfo/invalid\.elprops\.elprops\.metainfo\.xml'
has "$tmp/runtime.txt" '/usr/share/man/man1/elprops\.1\.gz'
has "$tmp/runtime.txt" '/usr/share/man/man1/elprops-cli\.1\.gz'
has "$tmp/runtime.txt" '/usr/share/bash-completion/completions/elprops-cli'
has "$tmp/runtime.txt" '/usr/share/doc/elprops/copyright'
has "$tmp/runtime.txt" '/usr/share/doc/elprops/changelog\.gz'
lacks "$tmp/runtime.txt" '/include/|\.pc$|/cmake/|libelprops\.so$|/usr/local/'
for header in elprops compute substance saturation export version; do
  has "$tmp/dev.txt" "/usr/include/elprops/${header}\\.hpp"
done
has "$tmp/dev.txt" "${libdir}/libelprops\\.so"
has "$tmp/dev.txt" "${libdir}/cmake/elprops/elpropsConfig\\.cmake"
has "$tmp/dev.txt" "${libdir}/cmake/elprops/elpropsConfigVersion\\.cmake"
has "$tmp/dev.txt" "${libdir}/cmake/elprops/elpropsTargets(-release)?\\.cmake"
has "$tmp/dev.txt" "${libdir}/pkgconfig/elprops\\.pc"
has "$tmp/dev.txt" '/usr/share/doc/libelprops-dev/copyright'
has "$tmp/dev.txt" '/usr/share/doc/libelprops-dev/changelog\.gz'
lacks "$tmp/dev.txt" '/usr/bin/|libelprops\.so\.|/usr/local/'
lacks "$tmp/runtime.txt" '/python3'
if [ -n "$python_version" ]; then
  # The package with its compiled module for the interpreter's ABI, in
  # Debian's folder of python3's modules; nothing of the other packages.
  has "$tmp/python.txt" '/usr/lib/python3/dist-packages/elprops/__init__\.py'
  has "$tmp/python.txt" "/usr/lib/python3/dist-packages/elprops/_elprops\\.cpython-${python_version//./}-[a-z0-9_-]+\\.so"
  has "$tmp/python.txt" '/usr/share/doc/python3-elprops/copyright'
  has "$tmp/python.txt" '/usr/share/doc/python3-elprops/changelog\.gz'
  lacks "$tmp/python.txt" '/usr/bin/|/include/|libelprops\.so|/usr/local/|/python3\.[0-9]+/'
  # No search path of its own: the library is in the system's folder.
  mkdir "$tmp/python"
  dpkg-deb -x "$python" "$tmp/python"
  module=$(find "$tmp/python" -name '_elprops.*.so' | head -n 1)
  if LC_ALL=C readelf -d "$module" | grep -Eq 'RPATH|RUNPATH'; then
    fail "the packaged module has a search path: $(LC_ALL=C readelf -d "$module" | grep -E 'RPATH|RUNPATH')"
  fi
fi

if [ "${ELPROPS_EXPECT_CALC:-}" = 1 ]; then
  # The extension unpacked where LibreOffice takes up bundled extensions.
  contents "$calc" >"$tmp/calc.txt"
  echo "--- elprops-libreoffice"
  cat "$tmp/calc.txt"
  ext=/usr/lib/libreoffice/share/extensions/elprops
  for file in META-INF/manifest\\.xml description\\.xml XElprops\\.rdb CalcAddIns\\.xcu elprops_calc\\.py \
    pythonpath/elprops_calc_functions\\.py; do
    has "$tmp/calc.txt" "$ext/$file"
  done
  has "$tmp/calc.txt" '/usr/share/doc/elprops-libreoffice/copyright'
  lacks "$tmp/calc.txt" '/usr/bin/|libelprops|/dist-packages/|/usr/local/'
fi

# --- lintian -----------------------------------------------------------------
if command -v lintian >/dev/null; then
  echo "--- lintian"
  if ! lintian --fail-on error --tag-display-limit 0 "${packages[@]}" 2>&1 | tee "$tmp/lintian.txt"; then
    fail "lintian reports errors"
  fi
else
  echo "lintian is not installed: the packages were not linted"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "package test passed"
