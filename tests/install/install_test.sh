#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks what is there, moves
# the prefix elsewhere and builds the examples (C++ and C) against it: with
# find_package(elprops CONFIG REQUIRED) and with pkg-config. Every program
# must print the sodium chloride worked example.
#
# With PYTHON and PYTHON_DIR (when the Python module is built) the package
# elprops (__init__.py and the compiled _elprops) must be in PYTHON_DIR below
# the prefix and import from the moved prefix, finding the library without
# help.
#
# install_test.sh BUILD_DIR SOURCE_DIR CXX_COMPILER WITH_QT(ON|OFF) [PYTHON PYTHON_DIR]
set -euo pipefail
build=$1
source=$2
cxx=$3
with_qt=$4
python=${5:-}
python_dir=${6:-}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/elprops-install-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$tmp/prefix" >"$tmp/install.log" || {
  cat "$tmp/install.log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
}
prefix=$tmp/prefix

# --- What is installed -------------------------------------------------------
lib=$(find "$prefix" -name 'libelprops.so.*.*.*' -type f | head -n 1)
[ -n "$lib" ] || fail "no libelprops.so.MAJOR.MINOR.PATCH"
libdir=$(dirname "${lib:-$prefix/lib/x}")
libdir_rel=${libdir#"$prefix"/}
[ -L "$libdir/libelprops.so" ] || fail "no development link libelprops.so"
soname=$(LC_ALL=C readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\].*/\1/p')
[ "$soname" = libelprops.so.2 ] || fail "SONAME is '$soname', not libelprops.so.2"
[ -L "$libdir/$soname" ] || fail "no link $soname"

expected=(
  include/elprops/elprops.h include/elprops/elprops.hpp include/elprops/compute.hpp include/elprops/substance.hpp
  include/elprops/saturation.hpp include/elprops/export.hpp include/elprops/version.hpp
  "$libdir_rel/cmake/elprops/elpropsConfig.cmake" "$libdir_rel/cmake/elprops/elpropsConfigVersion.cmake"
  "$libdir_rel/cmake/elprops/elpropsTargets.cmake" "$libdir_rel/pkgconfig/elprops.pc"
)
if [ "$with_qt" = ON ]; then
  expected+=(
    bin/elprops bin/elprops-cli share/applications/elprops.desktop
    share/icons/hicolor/scalable/apps/elprops.svg share/metainfo/invalid.elprops.elprops.metainfo.xml
    share/man/man1/elprops.1.gz share/man/man1/elprops-cli.1.gz
    share/bash-completion/completions/elprops-cli share/doc/elprops/accuracy.md share/doc/elprops/validity.md
  )
fi
for f in "${expected[@]}"; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
if [ -n "$python" ]; then
  for f in __init__.py _arrays.py _columns.py _errors.py _records.py __init__.pyi py.typed; do
    [ -f "$prefix/$python_dir/elprops/$f" ] || fail "no Python package elprops/$f in $python_dir"
  done
  module=$(find "$prefix/$python_dir/elprops" -maxdepth 1 -name '_elprops.*.so' 2>/dev/null | head -n 1)
  [ -n "$module" ] || fail "no compiled module elprops/_elprops.*.so in $python_dir"
  # Its search path for the library is relative to itself.
  runpath=$(LC_ALL=C readelf -d "${module:-/dev/null}" 2>/dev/null | sed -n 's/.*\(RPATH\|RUNPATH\).*\[\(.*\)\].*/\2/p')
  case $runpath in
    '$ORIGIN/'*) ;;
    *) fail "the Python module's search path is '$runpath', not relative to \$ORIGIN" ;;
  esac
fi
# Files only the Debian packages carry stay out of a plain install.
[ ! -e "$prefix/share/doc/libelprops-dev" ] || fail "Debian files installed by cmake --install"

# No path of the prefix, the build or the sources in the installed text files.
for dir in "$build" "$source" "$prefix"; do
  if grep -rIl --exclude='*.gz' -F "$dir" "$prefix" >"$tmp/paths" 2>/dev/null; then
    fail "absolute path $dir in: $(tr '\n' ' ' <"$tmp/paths")"
  fi
done

# --- The prefix is relocatable -------------------------------------------
mv "$prefix" "$tmp/moved"
prefix=$tmp/moved
libdir=$prefix/$libdir_rel

expected_output() {
  cat <<'TEXT'
density               1070.638 kg/m3
viscosity             0.001208059 Pa*s
surface tension       0.07964794 N/m
heat capacity         3747.392 J/(kg*K)
thermal conductivity  0.5867352 W/(m*K)
TEXT
}

check_example() {
  local how=$1 program=$2
  local out
  if ! out=$(LD_LIBRARY_PATH="$libdir" "$program"); then
    fail "$how: the example did not run"
    return
  fi
  echo "--- $how"
  echo "$out"
  if ! head -n 1 <<<"$out" | grep -q '^elprops [0-9][0-9.]*: sodium chloride (NaCl), mass fraction 0.1, 20 degrees Celsius$'; then
    fail "$how: first line"
  fi
  if [ "$(tail -n +2 <<<"$out")" != "$(expected_output)" ]; then
    fail "$how: the printed properties are not the worked example"
  fi
  # The C example prints each float's shortest text.
  if ! out=$(LD_LIBRARY_PATH="$libdir" "$program"_c); then
    fail "$how: the C example did not run"
  elif ! grep -qx 'density               1070.6378 kg/m3' <<<"$out"; then
    fail "$how: the C example printed: $out"
  fi
}

# With CMake's find_package.
if cmake -S "$source/examples" -B "$tmp/with-cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  >"$tmp/cmake.log" 2>&1 && cmake --build "$tmp/with-cmake" >>"$tmp/cmake.log" 2>&1; then
  check_example "find_package" "$tmp/with-cmake/sodium_chloride"
else
  cat "$tmp/cmake.log" >&2
  fail "the example does not build with find_package"
fi

# With pkg-config.
if command -v pkg-config >/dev/null; then
  mkdir -p "$tmp/with-pkg-config"
  if PKG_CONFIG_PATH="$libdir/pkgconfig" make -C "$tmp/with-pkg-config" -f "$source/examples/Makefile" CXX="$cxx" \
    >"$tmp/make.log" 2>&1; then
    check_example "pkg-config" "$tmp/with-pkg-config/sodium_chloride"
  else
    cat "$tmp/make.log" >&2
    fail "the example does not build with pkg-config"
  fi
else
  fail "pkg-config is not installed"
fi

# The installed programs run from the moved prefix.
if [ "$with_qt" = ON ]; then
  row=$("$prefix/bin/elprops-cli" compute -s NaCl -c 0.1 -t 20 --format csv | tail -n 1) ||
    fail "installed elprops-cli did not run"
  case $row in
    NaCl,0.1,20,1070.63*) ;;
    *) fail "installed elprops-cli printed: $row" ;;
  esac
  if command -v man >/dev/null; then
    page=$(MANPATH="$prefix/share/man" man -w elprops-cli 2>/dev/null || true)
    [ "$page" = "$prefix/share/man/man1/elprops-cli.1.gz" ] || fail "man -w elprops-cli gave '$page'"
  fi
fi

# The Python module imports from the moved prefix, from another folder.
if [ -n "$python" ]; then
  if out=$(cd "$tmp" && env -u LD_LIBRARY_PATH PYTHONPATH="$prefix/$python_dir" "$python" -c \
    'import elprops; print(elprops._elprops.__file__); print(elprops.compute("NaCl", 0.1, 20).density)'); then
    echo "--- Python"
    echo "$out"
    case $(head -n 1 <<<"$out") in
      "$prefix/$python_dir"/elprops/_elprops.*.so) ;;
      *) fail "Python imported elprops from $(head -n 1 <<<"$out")" ;;
    esac
    [ "$(tail -n 1 <<<"$out")" = 1070.6378 ] || fail "Python printed the density $(tail -n 1 <<<"$out")"
  else
    fail "the installed Python module does not import"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "install test passed"
