#!/usr/bin/env bash
# Builds the two Debian packages, school-questionnaire-server and
# school-questionnaire-client, in a Release build installed under /usr.
# Usage: scripts/package.sh [BUILD_FOLDER]   (default build-package)
# Prints the paths of the two .deb files.
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs need.
scripts/install-deps.sh dpkg-dev file

build=${1:-build-package}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DSCHOOL_BUILD_TESTS=OFF -DSCHOOL_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
cd "$build"
rm -f ./*.deb
cpack -G DEB >/dev/null
ls "$PWD"/*.deb
