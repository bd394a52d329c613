#!/usr/bin/env bash
# Builds the per-user Windows installer from the built programs (installer/Murivale.nsi).
#
#   tools/make-installer.sh [--x64 DIR] [--x86 DIR] [--out FILE] [--amd64]
#
# Without options: dist/Murivale-Setup-<version>.exe, a 32-bit installer that carries both
# dist/x64 and dist/x86 and installs the 64-bit programs on 64-bit Windows, the 32-bit ones
# elsewhere. With --amd64: a 64-bit installer with the programs of the x64 folder only (default
# build/installer/Murivale-Setup-<version>-amd64.exe); it runs on 64-bit Windows alone, and
# under a 64-bit-only Wine, which is what the end-to-end case installs.
# The version comes from resources/version.h. Prints the installer's path on success.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
x64=$repo/dist/x64
x86=$repo/dist/x86
out=""
amd64=0
while [ $# -gt 0 ]; do
  case "$1" in
    --x64) x64=$2; shift ;;
    --x86) x86=$2; shift ;;
    --out) out=$2; shift ;;
    --amd64) amd64=1 ;;
    *) echo "usage: $0 [--x64 DIR] [--x86 DIR] [--out FILE] [--amd64]" >&2; exit 2 ;;
  esac
  shift
done

command -v makensis >/dev/null || { echo "make-installer: makensis is missing (tools/install-deps.sh)" >&2; exit 1; }
version=$("$repo/tools/version.sh") || exit 1

folders=("$x64")
((amd64)) || folders+=("$x86")
for dir in "${folders[@]}"; do
  for exe in Murivale.exe Tessaban.exe; do
    [ -f "$dir/$exe" ] || { echo "make-installer: $dir/$exe is missing (build it first)" >&2; exit 1; }
  done
done

if [ -z "$out" ]; then
  if ((amd64)); then out=$repo/build/installer/Murivale-Setup-$version-amd64.exe
  else out=$repo/dist/Murivale-Setup-$version.exe; fi
fi
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

work=$(mktemp -d "${TMPDIR:-/tmp}/murivale-installer.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The users' ReadMe with this version and Windows line ends.
sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$repo/installer/ReadMe.txt" >"$work/ReadMe.txt"

defines=(-DX64DIR="$(cd "$x64" && pwd)" -DREADME="$work/ReadMe.txt" -DOUTFILE="$out")
if ((amd64)); then defines+=(-DAMD64); else defines+=(-DX86DIR="$(cd "$x86" && pwd)"); fi
# makensis resolves the script's relative paths (the icons, the version header) from the
# script's folder; -NOCD would change that, so it is run from there.
(cd "$repo/installer" && makensis -V2 -WX "${defines[@]}" Murivale.nsi) >&2
echo "$out"
