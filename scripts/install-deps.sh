#!/usr/bin/env bash
# Installs the Debian packages the build needs, and any named as arguments
# (scripts/coverage.sh asks for gcovr), only those still missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config clang-14 libclang-rt-14-dev clang-format
  libgtest-dev libbenchmark-dev
  qt6-base-dev libgl-dev
  libdevil-dev libfreetype-dev libfontconfig-dev fonts-liberation2
  libcli11-dev libtbb-dev desktop-file-utils ccache
  xvfb xauth
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
