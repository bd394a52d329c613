#!/usr/bin/env bash
# Murivale's logon run (Murivale.exe /p %1) under Wine, side by side with the floor: the
# program bench_floor.exe (bench/floor_logon.cpp) shares no code with ours and does, with system
# calls only, what a logon run cannot avoid (list the folder, sort the names, decode one image
# through the imaging component into one 24-bit buffer, write it beside the target, flush it,
# move it over the target, make the wallpaper call). Three folders:
#   A  N links to one 24-megapixel JPEG (6000x4000, made once with ImageMagick and cached);
#   B  N links to one 160x120 JPEG;
#   C  ten distinct 640x480 JPEGs.
# Each process is timed from its start to its end, and its peak memory (resident set) taken.
# Both programs run pinned to the same CPU (the Wine server too); per folder one unmeasured run
# of each first, then PAIRS pairs run alternately (ours, then the floor). Printed: the median of
# the paired time ratios and of the paired peak-memory ratios, with the median figures beside.
# Not a test: it prints figures and checks only that each run ends with exit code 0.
#
#   tools/bench-logon.sh [--dist DIR] [--floor EXE] [--links N] [--pairs N] [--cpu N]
#
# --dist   folder of the built programs (default dist/x64); Murivale.exe is copied from it.
# --floor  the floor program (default build/windows-x64/bench/bench_floor.exe; for the
#          32-bit programs build/windows-x86/bench/bench_floor.exe).
# --links  number of links in folders A and B (default 32767, the catalogue's limit).
# --pairs  measured pairs per folder (default 5).
# --cpu    the CPU both run on (default 1); this script itself, which watches their memory,
#          keeps to the other CPUs.
# Environment: BENCH_CACHE, where the big JPEG is kept (default build/bench-cache).
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dist=$repo/dist/x64
floor=$repo/build/windows-x64/bench/bench_floor.exe
links=32767
pairs=5
cpu=1
while [ $# -gt 0 ]; do
  case "$1" in
    --dist) dist=$(cd "$2" && pwd) || exit 2; shift ;;
    --floor) floor=$2; shift ;;
    --links) links=$2; shift ;;
    --pairs) pairs=$2; shift ;;
    --cpu) cpu=$2; shift ;;
    *) echo "usage: $0 [--dist DIR] [--floor EXE] [--links N] [--pairs N] [--cpu N]" >&2; exit 2 ;;
  esac
  shift
done
[[ "$links" =~ ^[0-9]+$ ]] && ((links >= 2)) || { echo "$0: --links needs a number of at least 2" >&2; exit 2; }
[[ "$pairs" =~ ^[0-9]+$ ]] && ((pairs >= 1)) || { echo "$0: --pairs needs a positive number" >&2; exit 2; }
[[ "$cpu" =~ ^[0-9]+$ ]] || { echo "$0: --cpu needs a CPU number" >&2; exit 2; }
[ -f "$dist/Murivale.exe" ] || { echo "$0: no $dist/Murivale.exe (build the windows preset)" >&2; exit 1; }
[ -f "$floor" ] || { echo "$0: no $floor (build the windows preset)" >&2; exit 1; }
for tool in wine wineserver convert Xvfb taskset pgrep; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed (tools/install-deps.sh)" >&2; exit 1; }
done

say() { echo "bench-logon: $*"; }

# The watching of memory stays off the measured CPU when there is another one.
others=$(awk -v c="$cpu" '/^processor/ { if ($3 != c) printf "%s%s", (n++ ? "," : ""), $3 }' /proc/cpuinfo)
[ -n "$others" ] && taskset -cp "$others" $$ >/dev/null

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export USER=${USER:-$(id -un)}
export MURIVALE_DISPLAY_FIRST=${MURIVALE_DISPLAY_FIRST:-100}
# shellcheck source=tools/xvfb.sh
. "$repo/tools/xvfb.sh"
# shellcheck source=tools/layout.sh
. "$repo/tools/layout.sh" || exit 1

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
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
taskset -c "$cpu" wineserver -p </dev/null >/dev/null 2>&1   # one pinned server for all runs

program=$work/program
mkdir -p "$program"
cp "$dist/Murivale.exe" "$program/"
exe_win="Z:${program//\//\\}\\Murivale.exe"
floor_dir=$work/floor
mkdir -p "$floor_dir"
cp "$floor" "$floor_dir/bench_floor.exe"
floor_win="Z:${floor_dir//\//\\}\\bench_floor.exe"
base=$work/base.bmp
convert -size 64x48 xc:'#3a6ea5' -type TrueColor "BMP3:$base"

# make_links FOLDER TARGET: $links symbolic links to TARGET in FOLDER.
make_links() {
  mkdir -p "$1"
  (cd "$1" && for ((i = 0; i < links; i++)); do printf 'pic-%05d.jpg\0' "$i"; done |
    xargs -0 -n 1000 sh -c 'for n; do ln -s "$0" "$n"; done' "$2")
  local made
  made=$(find "$1" -maxdepth 1 -type l | wc -l)
  ((made == links)) || { say "made $made links in $1, expected $links"; exit 1; }
}

small=$work/small-160x120.jpg
convert -size 160x120 plasma: -quality 90 "$small"
say "making the folders ($links links each for A and B)"
make_links "$work/A" "$big"
make_links "$work/B" "$small"
mkdir -p "$work/C"
for ((i = 0; i < 10; i++)); do
  convert -seed "$i" -size 640x480 plasma: -quality 90 "$work/C/photo-$i.jpg"
done

configure() { # FOLDER
  local folder="Z:${1//\//\\}\\"
  wine reg add "$MURIVALE_KEY" /v FolderPath /t REG_SZ /d "$folder" /f </dev/null >/dev/null 2>&1
  wine reg add "$MURIVALE_KEY" /v BaseFile /t REG_SZ /d "Z:${base//\//\\}" /f </dev/null >/dev/null 2>&1
}

# measure WINDOWS_EXE ARGS...: runs the program under Wine, pinned; sets ms (from the start of
# the process to its end) and kb (its peak resident set, VmHWM, read until the process ends:
# Wine starts the program as a process of its own, which no wait of ours collects).
measure() {
  local exe=$1 t0 rc run pid="" hwm
  shift
  local pattern="^$(printf '%s' "$exe" | sed 's/[][\.*^$+?(){}|]/\\&/g')( |$)"
  t0=$(date +%s%N)
  taskset -c "$cpu" wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
  run=$!
  kb=0
  while kill -0 "$run" 2>/dev/null; do
    [ -n "$pid" ] || pid=$(pgrep -f -n "$pattern")
    if [ -n "$pid" ]; then
      hwm=$(awk '/^VmHWM:/ { print $2 }' /proc/"$pid"/status 2>/dev/null)
      [ -n "$hwm" ] && kb=$hwm
    fi
    sleep 0.003
  done
  wait "$run"
  rc=$?
  ms=$((($(date +%s%N) - t0) / 1000000))
  return $rc
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.4g\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# bench_folder LABEL FOLDER
bench_folder() {
  local label=$1 folder=$2 i
  local folder_win="Z:${folder//\//\\}" out_win="Z:${work//\//\\}\\floor.bmp"
  configure "$folder"
  measure "$exe_win" /p %1 || { say "$label: the logon run ended with exit code $?"; return 1; }
  measure "$floor_win" "$folder_win" "$out_win" || { say "$label: the floor program failed"; return 1; }
  local times=() floors=() tratios=() mem=() fmem=() mratios=()
  for ((i = 1; i <= pairs; i++)); do
    measure "$exe_win" /p %1 || say "$label: logon run $i ended with exit code $?"
    local ours_ms=$ms ours_kb=$kb
    measure "$floor_win" "$folder_win" "$out_win" || say "$label: floor run $i failed"
    times+=("$ours_ms"); floors+=("$ms"); mem+=("$ours_kb"); fmem+=("$kb")
    tratios+=("$(awk -v a="$ours_ms" -v b="$ms" 'BEGIN { printf "%.4f", a / b }')")
    mratios+=("$(awk -v a="$ours_kb" -v b="$kb" 'BEGIN { printf "%.4f", a / b }')")
  done
  say "$label: time $(printf '%s\n' "${times[@]}" | median) ms vs floor $(printf '%s\n' "${floors[@]}" | median) ms," \
      "ratio $(printf '%s\n' "${tratios[@]}" | median | awk '{ printf "%.2f", $1 }');" \
      "peak memory $(( $(printf '%s\n' "${mem[@]}" | median | cut -d. -f1) / 1024 )) MB vs floor" \
      "$(( $(printf '%s\n' "${fmem[@]}" | median | cut -d. -f1) / 1024 )) MB," \
      "ratio $(printf '%s\n' "${mratios[@]}" | median | awk '{ printf "%.2f", $1 }')" \
      "(median of $pairs pairs; time ratios $(printf '%s ' "${tratios[@]}"))"
}

say "$(wine --version 2>/dev/null); Murivale from $dist; floor $floor; CPU $cpu"
bench_folder "A ($links links to one 6000x4000 JPEG)" "$work/A"
bench_folder "B ($links links to one 160x120 JPEG)" "$work/B"
bench_folder "C (10 distinct 640x480 JPEGs)" "$work/C"
