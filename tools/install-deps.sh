#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine. Idempotent: packages
# that are already present are not fetched again.
set -euo pipefail

pkgs=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev
  libstb-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-apps imagemagick netpbm
  python3
)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
