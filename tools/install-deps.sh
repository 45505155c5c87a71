#!/usr/bin/env bash
# Installs the Debian packages Vexmora needs, only those that are missing.
# Usage: tools/install-deps.sh [extra packages...]
set -euo pipefail
packages=(g++ cmake make qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev googletest libgtest-dev libgmock-dev
          libbenchmark-dev fonts-ipafont-gothic xvfb xauth desktop-file-utils dpkg-dev file "$@")
packages+=(qt6-translations-l10n)  # Qt's Japanese standard buttons (はい/いいえ/キャンセル)
packages+=(locales)  # the locale definitions the tests make a decimal-comma locale from
# The Windows bridge beside the service's own control: cross-compiled, and run under Wine by its tests.
packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
