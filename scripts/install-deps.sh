#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages this project needs, when missing.
# Usage: scripts/install-deps.sh [extra-package...]
set -euo pipefail

# qttranslations5-l10n: the toolkit's own texts (buttons, file dialogs) in Russian.
packages=(cmake make g++ qtbase5-dev qtbase5-dev-tools qttranslations5-l10n fonts-dejavu-core "$@")
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
