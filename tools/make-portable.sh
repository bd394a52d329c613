#!/usr/bin/env bash
# Builds the portable zips: both programs and a short ReadMe.txt for users (ASCII, Windows line
# ends), in a folder named Murivale inside the zip.
#
#   tools/make-portable.sh [--x64 DIR] [--x86 DIR] [--out DIR]
#
# Writes OUT/Murivale-<version>-portable-x64.zip from the x64 folder (default dist/x64) and
# OUT/Murivale-<version>-portable-x86.zip from the x86 folder (default dist/x86); OUT defaults
# to dist. A missing program stops the script before anything is written. Only the two
# programs are taken: bitmaps that a test run left in the folder stay out. Prints the zips'
# paths on success.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
x64=$repo/dist/x64
x86=$repo/dist/x86
out=$repo/dist
while [ $# -gt 0 ]; do
  case "$1" in
    --x64) x64=$2; shift ;;
    --x86) x86=$2; shift ;;
    --out) out=$2; shift ;;
    *) echo "usage: $0 [--x64 DIR] [--x86 DIR] [--out DIR]" >&2; exit 2 ;;
  esac
  shift
done

command -v zip >/dev/null || { echo "make-portable: zip is missing (tools/install-deps.sh)" >&2; exit 1; }
version=$("$repo/tools/version.sh") || exit 1
for dir in "$x64" "$x86"; do
  for exe in Murivale.exe Tessaban.exe; do
    [ -f "$dir/$exe" ] || { echo "make-portable: $dir/$exe is missing (build it first)" >&2; exit 1; }
  done
done
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/murivale-portable.XXXXXX")
trap 'rm -rf "$work"' EXIT
for arch in x64 x86; do
  if [ "$arch" == x64 ]; then dir=$x64; else dir=$x86; fi
  stage=$work/$arch/Murivale
  mkdir -p "$stage"
  cp "$dir/Murivale.exe" "$dir/Tessaban.exe" "$stage/"
  sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$repo/installer/ReadMe.txt" >"$stage/ReadMe.txt"
  zipfile=$out/Murivale-$version-portable-$arch.zip
  rm -f "$zipfile"
  # -X: no Unix owners or extra time fields; -D: no folder entries of their own.
  (cd "$work/$arch" && zip -q -X -D "$zipfile" Murivale/Murivale.exe Murivale/Tessaban.exe Murivale/ReadMe.txt)
  echo "$zipfile"
done
