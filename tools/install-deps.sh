#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine, with apt-get and no
# questions. Idempotent: packages that are already present are not fetched again.
#
#   compilers and build:  cmake, ninja, g++, MinGW-w64 (x64 and x86, win32 threads, windres;
#                         the x86 C compiler and nm also build and check the Windows 98 shim)
#   tests:                GoogleTest/GoogleMock (native, and its sources for the MinGW build),
#                         stb (image decoding in the headless toolkit), Xlib headers (the
#                         end-to-end cases' map watcher, built with g++ when they run)
#   Wine test bench:      wine (64-bit, and 32-bit from Debian's i386 architecture, so that a
#                         64-bit prefix runs the 32-bit build through WoW64), Xvfb, xdotool, xdpyinfo/xwininfo/xprop (x11-utils),
#                         xwd (x11-apps), ImageMagick and netpbm for screenshots and images,
#                         DejaVu fonts for the captions of the sample images, flock (util-linux)
#   scripts:              python3; NSIS and zip for the installer and the portable zips;
#                         unicode-data (to refresh base/unicode, not for building)
set -euo pipefail

pkgs=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libstb-dev libx11-dev
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 mingw-w64-tools
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 wine32:i386 fonts-wine xvfb xdotool x11-apps x11-utils imagemagick netpbm fonts-dejavu-core
  util-linux procps python3 nsis zip unicode-data
)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#pkgs[@]} packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
# 32-bit Wine comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
