#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages this project needs, when missing: those
# to build with Qt 5 (the default), or with Qt 6 after --qt6.
# Usage: scripts/install-deps.sh [--qt6] [extra-package...]
set -euo pipefail

# qttranslations5-l10n, qt6-translations-l10n: the toolkit's own texts
# (buttons, file dialogs) in Russian. libgl-dev: Qt 6's Gui needs OpenGL's
# headers to build against, which not every release of qt6-base-dev brings.
qt=(qtbase5-dev qtbase5-dev-tools qttranslations5-l10n)
if [ "${1:-}" = --qt6 ]; then
    qt=(qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev)
    shift
fi
packages=(cmake make g++ "${qt[@]}" fonts-dejavu-core "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
