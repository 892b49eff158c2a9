#!/usr/bin/env bash
# Builds the Debian packages libelprops2, libelprops-dev, python3-elprops,
# elprops-cli, elprops and elprops-libreoffice in one go:
#   scripts/package.sh   -> build/package/*.deb
# Then install them with
#   sudo apt install ./build/package/*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

dir=build/package
jobs=$(nproc 2>/dev/null || echo 2)
# Debian's hardening flags; the project's own flags (-ffp-contract=off and
# the optimisation of a release build) come after them.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DELPROPS_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$dir" -j "$jobs"
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB)
echo "Packages:"
ls -1 "$dir"/*.deb
