#!/usr/bin/env bash
# Builds the two Debian packages, school-questionnaire-server and
# school-questionnaire-client, in a Release build installed under /usr:
# with Qt 5, or with Qt 6 after --qt6. Further -D arguments go to CMake, for
# example -DSCHOOL_PACKAGE_MAINTAINER="School IT <it@school.example>".
# Usage: scripts/package.sh [--qt6] [BUILD_FOLDER] [-DNAME=VALUE...]
#   (default build folder build-package, build-package-qt6 with --qt6)
# Prints the paths of the two .deb files.
set -euo pipefail
cd "$(dirname "$0")/.."

qt=5 build=build-package qt_choice=()
if [ "${1:-}" = --qt6 ]; then
    qt=6 build=build-package-qt6 qt_choice=(--qt6)
    shift
fi
if [ $# -gt 0 ] && [ "${1#-D}" = "$1" ]; then
    build=$1
    shift
fi

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs need.
scripts/install-deps.sh "${qt_choice[@]}" dpkg-dev file

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DSCHOOL_QT_MAJOR="$qt" \
    -DSCHOOL_BUILD_TESTS=OFF -DSCHOOL_BUILD_BENCH=OFF "$@"
cmake --build "$build" -j"$(nproc)"
cd "$build"
rm -f ./*.deb
cpack -G DEB >/dev/null
ls "$PWD"/*.deb
