#!/usr/bin/env bash
# Builds the Debian packages from the build tree with cpack and checks their
# contents and control fields, that the library's, the development and the
# Python packages pull in no Qt, and runs lintian on them where it is
# installed. Exits 77 (skipped) where the Debian tools are missing.
#
# package_test.sh BUILD_DIR VERSION [PYTHON_VERSION]
# With PYTHON_VERSION (MAJOR.MINOR, when the Python module is built) the
# package python3-elprops is expected besides the other four; with
# ELPROPS_EXPECT_CALC=1 in the environment (when the Calc extension is
# built) elprops-libreoffice too.
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
library_package=libelprops${version%%.*}
library=$tmp/${library_package}_${version}_${arch}.deb
dev=$tmp/libelprops-dev_${version}_${arch}.deb
cli=$tmp/elprops-cli_${version}_${arch}.deb
window=$tmp/elprops_${version}_${arch}.deb
python=$tmp/python3-elprops_${version}_${arch}.deb
packages=("$library" "$dev" "$cli" "$window")
calc=$tmp/elprops-libreoffice_${version}_all.deb
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
own="${version//./\\.}"
check_field "$library" Package "^${library_package}$"
check_field "$library" Section "^libs$"
check_field "$dev" Package "^libelprops-dev$"
check_field "$dev" Section "^libdevel$"
check_field "$dev" Depends "^${library_package} \\(= ${own}\\)$"
check_field "$cli" Package "^elprops-cli$"
check_field "$cli" Section "^science$"
check_field "$window" Package "^elprops$"
check_field "$window" Section "^science$"
check_field "$window" Recommends "fonts-liberation2"
# Found by dpkg-shlibdeps in the programs and the library.
for dependency in libc6 libstdc\\+\\+6 libgcc-s1; do
  check_field "$library" Depends "(^|, )${dependency}( |,|$)"
done
for dependency in "${library_package} \\(= ${own}\\)" libqt6core6 libqt6gui6; do
  check_field "$cli" Depends "(^|, )${dependency}( |,|$)"
done
for dependency in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins; do
  check_field "$window" Depends "(^|, )${dependency}( |,|$)"
done

if [ -n "$python_version" ]; then
  check_field "$python" Package "^python3-elprops$"
  check_field "$python" Section "^python$"
  next_minor=$((${python_version#*.} + 1))
  for dependency in "python3 \\(>= ${python_version//./\\.}~\\)" "python3 \\(<< ${python_version%%.*}\\.${next_minor}\\)" \
    python3-numpy "${library_package} \\(= ${own}\\)" libc6 libstdc\\+\\+6; do
    check_field "$python" Depends "(^|, )${dependency}(,|$| )"
  done
fi

# The library's shlibs entry lets other packages depend on it.
shlibs=$(dpkg-deb -I "$library" shlibs 2>/dev/null || true)
grep -Eq "^libelprops ${version%%.*} ${library_package} \\(>= ${own}\\)$" <<<"$shlibs" || fail "shlibs is '$shlibs'"
dpkg-deb -I "$library" triggers 2>/dev/null | grep -qx "activate-noawait ldconfig" || fail "no ldconfig trigger"

# --- No Qt for the library, its development files and the Python module -----
# Every package that installing them brings, as the system's package lists
# know them: none of Qt. The window's, for comparison, has Qt Widgets.
depends_closure() {
  local names=()
  for deb in "$@"; do
    names+=($(field "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/:any//; s/ //g' | grep -v "^${library_package}$"))
  done
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces --no-enhances \
    "${names[@]}" 2>/dev/null | grep -v '^ ' | sort -u
}
if command -v apt-cache >/dev/null && depends_closure "$window" | grep -qx libqt6widgets6; then
  servers=("$dev")
  [ -n "$python_version" ] && servers+=("$python")
  for deb in "${servers[@]}"; do
    qt=$(depends_closure "$deb" "$library" | grep -Ei '^(lib)?qt' | tr '\n' ' ' || true)
    [ -z "$qt" ] || fail "$(basename "$deb") pulls in Qt: $qt"
  done
else
  echo "apt-cache does not know the packages' dependencies: the Qt-free closure was not checked"
fi

# --- Contents ----------------------------------------------------------------
for deb in "${packages[@]}"; do
  name=$(field "$deb" Package)
  contents "$deb" >"$tmp/$name.txt"
  echo "--- $name"
  cat "$tmp/$name.txt"
done

# has LIST PATTERN...: each pattern matches a whole line of the list.
has() {
  local list=$1 pattern
  shift
  for pattern; do
    grep -Eq "^${pattern}$" "$list" || fail "$(basename "$list" .txt): nothing matches $pattern"
  done
}
lacks() {
  local list=$1 pattern=$2
  if grep -Eq "$pattern" "$list"; then fail "$(basename "$list" .txt): should not hold $pattern"; fi
}
libdir='/usr/lib(/[a-z0-9_]+-linux-[a-z0-9_]+)?'
for name in "$library_package" libelprops-dev elprops-cli elprops; do
  has "$tmp/$name.txt" "/usr/share/doc/${name}/copyright" "/usr/share/doc/${name}/changelog\\.gz"
  lacks "$tmp/$name.txt" '/usr/local/'
done
has "$tmp/$library_package.txt" "${libdir}/libelprops\\.so\\.${own}" "${libdir}/libelprops\\.so\\.${version%%.*}"
lacks "$tmp/$library_package.txt" '/usr/bin/|/include/|\.pc$|/cmake/|libelprops\.so$|/python3|/man/'
# The pages the library's warnings name.
has "$tmp/$library_package.txt" '/usr/share/doc/elprops/accuracy\.md'
has "$tmp/elprops.txt" '/usr/bin/elprops' '/usr/share/applications/elprops\.desktop' '/usr/share/man/man1/elprops\.1\.gz' \
  '/usr/share/icons/hicolor/scalable/apps/elprops\.svg' '/usr/share/metainfo/invalid\.elprops\.elprops\.metainfo\.xml'
lacks "$tmp/elprops.txt" 'elprops-cli|libelprops|/include/|/python3'
has "$tmp/elprops-cli.txt" '/usr/bin/elprops-cli' '/usr/share/man/man1/elprops-cli\.1\.gz' \
  '/usr/share/bash-completion/completions/elprops-cli'
lacks "$tmp/elprops-cli.txt" '/usr/bin/elprops$|libelprops|/include/|/applications/|/python3'
for header in elprops.h elprops.hpp compute.hpp substance.hpp saturation.hpp export.hpp version.hpp; do
  has "$tmp/libelprops-dev.txt" "/usr/include/elprops/${header//./\\.}"
done
has "$tmp/libelprops-dev.txt" "${libdir}/libelprops\\.so" "${libdir}/pkgconfig/elprops\\.pc" \
  "${libdir}/cmake/elprops/elpropsConfig(Version)?\\.cmake" "${libdir}/cmake/elprops/elpropsTargets(-release)?\\.cmake"
lacks "$tmp/libelprops-dev.txt" '/usr/bin/|libelprops\.so\.'
if [ -n "$python_version" ]; then
  # The package with its compiled module for the interpreter's ABI, in
  # Debian's folder of python3's modules; nothing of the other packages.
  list=$tmp/python3-elprops.txt
  has "$list" '/usr/lib/python3/dist-packages/elprops/__init__\.py'
  has "$list" '/usr/lib/python3/dist-packages/elprops/__init__\.pyi'
  has "$list" '/usr/lib/python3/dist-packages/elprops/py\.typed'
  has "$list" "/usr/lib/python3/dist-packages/elprops/_elprops\\.cpython-${python_version//./}-[a-z0-9_-]+\\.so"
  has "$list" '/usr/share/doc/python3-elprops/copyright'
  has "$list" '/usr/share/doc/python3-elprops/changelog\.gz'
  lacks "$list" '/usr/bin/|/include/|libelprops\.so|/usr/local/|/python3\.[0-9]+/'
  # No search path of its own: the library is in the system's folder.
  mkdir "$tmp/python"
  dpkg-deb -x "$python" "$tmp/python"
  module=$(find "$tmp/python" -name '_elprops.*.so' | head -n 1)
  if LC_ALL=C readelf -d "$module" | grep -Eq 'RPATH|RUNPATH'; then
    fail "the packaged module has a search path: $(LC_ALL=C readelf -d "$module" | grep -E 'RPATH|RUNPATH')"
  fi
fi

if [ "${ELPROPS_EXPECT_CALC:-}" = 1 ]; then
  check_field "$calc" Package "^elprops-libreoffice$"
  for dependency in "python3-elprops \\(>= ${version//./\\.}\\)" python3-uno libreoffice-calc; do
    check_field "$calc" Depends "(^|, )${dependency}(,|$| )"
  done
  # The extension unpacked where LibreOffice takes up bundled extensions.
  ext=/usr/lib/libreoffice/share/extensions/elprops
  has "$tmp/elprops-libreoffice.txt" "$ext/META-INF/manifest\\.xml" "$ext/description\\.xml" "$ext/XElprops\\.rdb" \
    "$ext/CalcAddIns\\.xcu" "$ext/elprops_calc\\.py" "$ext/pythonpath/elprops_calc_functions\\.py" \
    '/usr/share/doc/elprops-libreoffice/copyright' '/usr/share/doc/elprops-libreoffice/changelog\.gz'
  lacks "$tmp/elprops-libreoffice.txt" '/usr/bin/|libelprops|/dist-packages/|/usr/local/'
fi

# --- lintian -----------------------------------------------------------------
if command -v lintian >/dev/null; then
  echo "--- lintian"
  # Errors and warnings fail; a build for another prefix than /usr keeps
  # its pkg-config file out of the architecture's own folder, which a
  # package built by scripts/package.sh has.
  suppress=()
  grep -q '^/usr/lib/pkgconfig/' "$tmp/libelprops-dev.txt" && suppress=(--suppress-tags pkg-config-unavailable-for-cross-compilation)
  if ! lintian --fail-on error,warning --tag-display-limit 0 "${suppress[@]}" "${packages[@]}" 2>&1 |
    tee "$tmp/lintian.txt"; then
    fail "lintian reports errors or warnings"
  fi
else
  echo "lintian is not installed: the packages were not linted"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "package test passed"
