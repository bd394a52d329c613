#!/usr/bin/env bash
# Times Murivale's logon run (Murivale.exe /p %1) under Wine, from the start of the process to
# its end, on two folders:
#   1. ten small sample pictures (copies of samples/, cycled);
#   2. N links to one 24-megapixel JPEG (6000x4000, made once with ImageMagick and cached).
# Next to each, the floor: bench_floor.exe does only what a logon run cannot avoid (list the
# folder, decode one image, write it as a bitmap, make the wallpaper call); the ratio of the two
# is printed. Not a test: it prints the figures and checks only that each run ends with exit
# code 0.
#
#   tools/bench-logon.sh [--dist DIR] [--floor EXE] [--links N] [--runs N]
#
# --dist   folder of the built programs (default dist/x64); Murivale.exe is copied from it.
# --floor  the floor program (default build/windows-x64/tools/bench/bench_floor.exe).
# --links  number of links in the second folder (default 32767, the catalogue's limit).
# --runs   timed runs per folder (default 3).
# Environment: BENCH_CACHE, where the big JPEG is kept (default build/bench-cache).
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dist=$repo/dist/x64
floor=$repo/build/windows-x64/tools/bench/bench_floor.exe
links=32767
runs=3
while [ $# -gt 0 ]; do
  case "$1" in
    --dist) dist=$(cd "$2" && pwd) || exit 2; shift ;;
    --floor) floor=$2; shift ;;
    --links) links=$2; shift ;;
    --runs) runs=$2; shift ;;
    *) echo "usage: $0 [--dist DIR] [--floor EXE] [--links N] [--runs N]" >&2; exit 2 ;;
  esac
  shift
done
[[ "$links" =~ ^[0-9]+$ ]] && ((links >= 2)) || { echo "$0: --links needs a number of at least 2" >&2; exit 2; }
[[ "$runs" =~ ^[0-9]+$ ]] && ((runs >= 1)) || { echo "$0: --runs needs a positive number" >&2; exit 2; }
[ -f "$dist/Murivale.exe" ] || { echo "$0: no $dist/Murivale.exe (build the windows-x64 preset)" >&2; exit 1; }
[ -f "$floor" ] || { echo "$0: no $floor (build the windows-x64 preset)" >&2; exit 1; }
for tool in wine wineserver convert Xvfb; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed (tools/install-deps.sh)" >&2; exit 1; }
done

say() { echo "bench-logon: $*"; }

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export USER=${USER:-$(id -un)}
export MURIVALE_DISPLAY_FIRST=${MURIVALE_DISPLAY_FIRST:-100}
# shellcheck source=tools/xvfb.sh
. "$repo/tools/xvfb.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-logon.XXXXXX")
export WINEPREFIX=$work/prefix
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The big JPEG, made once.
cache=${BENCH_CACHE:-$repo/build/bench-cache}
mkdir -p "$cache"
big=$cache/big-6000x4000.jpg
if [ ! -s "$big" ]; then
  say "making the 24-megapixel JPEG $big (once)"
  convert -size 6000x4000 plasma: -quality 90 "$big.tmp.jpg" && mv "$big.tmp.jpg" "$big" ||
    { say "could not make $big"; exit 1; }
fi

[ -n "${DISPLAY:-}" ] || { xvfb_start 1024x768 || exit 1; }
say "making a Windows XP prefix"
"$repo/tools/wine-prefix.sh" "$WINEPREFIX" winxp >/dev/null || { say "could not make the prefix"; exit 1; }
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
wineserver -p </dev/null >/dev/null 2>&1   # one server for all runs

program=$work/program
mkdir -p "$program"
cp "$dist/Murivale.exe" "$program/"
exe_win="Z:${program//\//\\}\\Murivale.exe"
base=$work/base.bmp
convert -size 64x48 xc:'#3a6ea5' -type TrueColor "BMP3:$base"

small=$work/small
mkdir -p "$small"
samples=("$repo"/samples/*.jpg "$repo"/samples/*.jpeg "$repo"/samples/*.gif "$repo"/samples/*.bmp "$repo"/samples/*.dib)
for ((i = 0; i < 10; i++)); do
  s=${samples[i % ${#samples[@]}]}
  cp "$s" "$small/$i-$(basename "$s")"
done

many=$work/many
mkdir -p "$many"
say "making $links links to the big JPEG"
(cd "$many" && for ((i = 0; i < links; i++)); do printf 'big-%05d.jpg\0' "$i"; done |
  xargs -0 -n 1000 sh -c 'for n; do ln -s "$0" "$n"; done' "$big")
made=$(find "$many" -maxdepth 1 -type l | wc -l)
((made == links)) || { say "made $made links, expected $links"; exit 1; }

configure() { # FOLDER
  local folder="Z:${1//\//\\}\\"
  wine reg add 'HKCU\Software\Murivale' /v FolderPath /t REG_SZ /d "$folder" /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Murivale' /v BaseFile /t REG_SZ /d "Z:${base//\//\\}" /f </dev/null >/dev/null 2>&1
}

run_once() { wine "$exe_win" /p %1 </dev/null >/dev/null 2>&1; }
floor_once() { wine "$floor_win" "$1" "$2" </dev/null >/dev/null 2>&1; }

floor_dir=$work/floor
mkdir -p "$floor_dir"
cp "$floor" "$floor_dir/bench_floor.exe"
floor_win="Z:${floor_dir//\//\\}\\bench_floor.exe"

# mean_ms COMMAND...: runs the command $runs times and prints the mean time in milliseconds.
mean_ms() {
  local i t0 total=0
  for ((i = 1; i <= runs; i++)); do
    t0=$(date +%s%N)
    "$@" || say "run $i of $1 ended with exit code $?"
    total=$((total + ($(date +%s%N) - t0) / 1000000))
  done
  echo $((total / runs))
}

# time_folder LABEL FOLDER: Murivale's logon run and the floor on one folder, and their ratio.
time_folder() {
  local label=$1 folder=$2 rc
  configure "$folder"
  # One run of each first, unmeasured: it fails early when something is wrong, and warms the
  # caches.
  run_once
  rc=$?
  if ((rc != 0)); then
    say "$label: the logon run ended with exit code $rc"
    return 1
  fi
  local folder_win="Z:${folder//\//\\}" out_win="Z:${work//\//\\}\\floor.bmp"
  floor_once "$folder_win" "$out_win" || { say "$label: the floor program failed"; return 1; }
  local ours floor_ms
  ours=$(mean_ms run_once)
  floor_ms=$(mean_ms floor_once "$folder_win" "$out_win")
  say "$label: logon run $ours ms, floor $floor_ms ms, ratio $(awk -v a="$ours" -v b="$floor_ms" 'BEGIN { printf "%.2f", a / b }') (mean of $runs)"
}

say "$(wine --version 2>/dev/null); Murivale from $dist"
time_folder "10 small pictures" "$small"
time_folder "$links links to one 6000x4000 JPEG" "$many"
