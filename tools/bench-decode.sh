#!/bin/sh
# Makes a 24-megapixel JPEG and times its decoding through both system decoders under Wine, then
# the picture browser's selection-to-preview with the reduced decode next to a whole decode.
#   tools/bench-decode.sh [build-dir] [count]   (build-dir: default build/windows-x64)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/windows-x64}
count=${2:-5}
work=${TMPDIR:-/tmp}/murivale-bench
mkdir -p "$work"
if [ ! -f "$work/big.jpg" ]; then
  convert -size 6000x4000 plasma: -quality 90 "$work/big.jpg"
fi
exe=$build/bench/bench_decode.exe
[ -f "$exe" ] || { echo "$0: no $exe (cmake --build --preset windows-x64)" >&2; exit 1; }
file="Z:$(echo "$work/big.jpg" | tr / '\\')"
# One process per decoder, so that each peak working set is its own.
for path in wic ole; do
  WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="} \
    wine "$exe" "$file" "$count" "$path"
done
# Selection to preview: both ways in one process, with the ratio of their times.
WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="} \
  wine "$exe" "$file" "$count" preview
