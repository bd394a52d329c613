#!/usr/bin/env bash
# The main job: builds the Windows programs and shows Murivale doing its logon run under Wine.
#
#   tools/run-main.sh [--no-build] [--dist DIR] [--keep-prefix]
#
# 1. installs what is needed (tools/install-deps.sh) and builds the windows-x64 preset;
# 2. makes a throw-away Wine prefix that reports Windows XP (Murivale runs on the 9x and 2000
#    families only, and XP counts as the latter);
# 3. copies samples/ into the user's Pictures\Murivale folder and writes the configuration that
#    the setup program would write, logon entry included;
# 4. starts a 1024x768 Wine desktop and runs the logon command, Murivale.exe /p %1, in it;
# 5. once Murivale has ended, shows the desktop again (as at the next logon), saves a
#    screenshot to build/main-job/desktop.png and prints the registry values.
# Waits are time-limited: a Murivale that shows a window and does not end is reported, shot
# and stopped. Exit status: 0 when Murivale ended by itself within the time limit.
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=1
dist=$repo/dist/x64
keep_prefix=0
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0 ;;
    --dist) dist=$(cd "$2" && pwd) || exit 2; shift ;;
    --keep-prefix) keep_prefix=1 ;;
    *) echo "usage: $0 [--no-build] [--dist DIR] [--keep-prefix]" >&2; exit 2 ;;
  esac
  shift
done
cd "$repo" || exit 1
limit=${MAIN_TIMEOUT:-60}
out=$repo/build/main-job
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.log "$out"/registry.txt

say() { echo "run-main: $*"; }

# 1. Tools and build.
"$repo/tools/install-deps.sh" || { say "installing the tools failed"; exit 1; }
if ((build)); then
  say "building the windows-x64 preset"
  if ! { cmake --preset windows-x64 && cmake --build --preset windows-x64 -j2 -- -k 0; } >"$out/build.log" 2>&1; then
    tail -n 40 "$out/build.log"
    say "the build failed (full log: $out/build.log)"
    build_failed=1
  else
    build_failed=0
  fi
else
  build_failed=0
fi
exe=$dist/Murivale.exe
if [ ! -f "$exe" ]; then
  if ((build_failed)); then
    say "there is no $exe to run (the build failed); stopping here"
  else
    say "there is no $exe to run; stopping here"
  fi
  exit 1
fi
if ((build_failed)); then say "running the Murivale.exe left by an earlier build"; fi

# 2. Prefix and display.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export USER=${USER:-$(id -un)}   # the login name Wine reports
# shellcheck source=tools/xvfb.sh
. "$repo/tools/xvfb.sh"
# shellcheck source=tools/layout.sh
. "$repo/tools/layout.sh" || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/murivale-main.XXXXXX")
export WINEPREFIX=$work/prefix
launcher=""
cleanup() {
  [ -n "$launcher" ] && kill "$launcher" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  xvfb_stop
  if ((keep_prefix)); then say "prefix kept: $WINEPREFIX"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

xvfb_start 1024x768 || exit 1
say "display $DISPLAY, making a Windows XP prefix"
"$repo/tools/wine-prefix.sh" "$WINEPREFIX" winxp >/dev/null || { say "could not make the prefix"; exit 1; }

# 3. Pictures and configuration.
win_path() { # a Unix path as Wine's Z: drive sees it
  local p="Z:$1"
  echo "${p//\//\\}"
}
profile=$WINEPREFIX/drive_c/users/$USER
pictures=$profile/Pictures
# Wine may link Pictures to the host's own folder; this prefix gets a folder of its own.
[ -L "$pictures" ] && rm -f "$pictures"
mkdir -p "$pictures/Murivale"
cp "$repo"/samples/*.jpg "$repo"/samples/*.jpeg "$repo"/samples/*.gif "$repo"/samples/*.bmp \
  "$repo"/samples/*.dib "$pictures/Murivale/"
folder="C:\\users\\$USER\\Pictures\\Murivale\\"
program_folder=$(win_path "$dist")
# The default ("base") background: the setup program would keep the wallpaper in place; this
# fresh prefix has none, so it is a plain bitmap in the program folder.
base_file="$program_folder\\${USER}${BASE_SUFFIX}"
convert -size 64x48 xc:'#3a6ea5' -type TrueColor "BMP3:$dist/${USER}${BASE_SUFFIX}"

reg() { wine reg "$@" </dev/null >/dev/null 2>&1 || say "reg $* failed"; }
reg add "$MURIVALE_KEY" /v FolderPath /t REG_SZ /d "$folder" /f
reg add "$MURIVALE_KEY" /v BaseFile /t REG_SZ /d "$base_file" /f
reg add "$MURIVALE_KEY" /v CurrentFile /t REG_SZ /d "" /f
reg add "$MURIVALE_KEY" /v RunOnStartup /t REG_SZ /d 1 /f
reg add "$RUN_KEY" /v "$RUN_VALUE" /t REG_SZ \
  /d "$program_folder\\Murivale.exe /p %1" /f
wineserver -w

print_registry() {
  {
    echo "$MURIVALE_KEY:"
    wine reg query "$MURIVALE_KEY" </dev/null 2>&1 | tr -d '\r' | grep REG_ || echo "    (none)"
    echo "$RUN_KEY:"
    wine reg query "$RUN_KEY" /v "$RUN_VALUE" </dev/null 2>&1 | tr -d '\r' | grep REG_ || echo "    (none)"
    echo "$DESKTOP_KEY:"
    wine reg query "$DESKTOP_KEY" /v Wallpaper </dev/null 2>&1 | tr -d '\r' | grep REG_ || echo "    (no Wallpaper)"
    echo "$SHELL_WALLPAPER_KEY:"
    wine reg query "$SHELL_WALLPAPER_KEY" /v Wallpaper </dev/null 2>&1 | tr -d '\r' | grep REG_ || echo "    (no Wallpaper)"
  } | tee "$out/registry.txt"
}

shot() { # NAME
  if xwd -root -silent | convert xwd:- "png:$out/$1.png" 2>/dev/null; then
    say "screenshot $out/$1.png"
  else
    say "screenshot $1 failed"
  fi
}

# 4. The logon run, inside a Wine desktop that paints the wallpaper.
wine explorer /desktop=shell,1024x768 </dev/null >"$out/desktop.log" 2>&1 &
desktop=$!
timeout 30 xdotool search --sync --name '^shell - Wine desktop$' >/dev/null 2>&1 ||
  say "the Wine desktop window did not appear"
shot before
wallpaper_bmp=$dist/${USER}${WALLPAPER_SUFFIX}
bitmap_stamp() { stat -c '%i %Y %s' "$wallpaper_bmp" 2>/dev/null; }
stamp_before=$(bitmap_stamp)
say "running: $program_folder\\Murivale.exe /p %1 (as user $USER, up to $limit s)"
wine explorer /desktop=shell,1024x768 "$program_folder\\Murivale.exe" /p %1 </dev/null >"$out/murivale.log" 2>&1 &
launcher=$!
# Murivale's processes in this prefix (other Wine prefixes on the machine are not ours).
murivale_running() {
  local pid
  for pid in $(pgrep -f 'Murivale\.exe'); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
# murivale_started: Murivale's own process (not the launcher, whose command line names it too)
# is running, or it has already written a new wallpaper bitmap.
murivale_started() {
  local pid
  for pid in $(pgrep -f 'Murivale\.exe'); do
    [ "$pid" = "$launcher" ] && continue
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi 'explorer' && continue
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  [ "$(bitmap_stamp)" != "$stamp_before" ]
}
ended=0
windows=""
# The launcher may hand the program to the desktop and end before Murivale's process shows:
# first wait until the run has begun.
for ((i = 0; i < 100; i++)); do
  murivale_started && break
  sleep 0.1
done
((i < 100)) || say "Murivale was not seen to start within 10 s"
for (( ; i < limit * 10; i++)); do
  if ! murivale_running && ! kill -0 "$launcher" 2>/dev/null; then
    ended=1
    break
  fi
  sleep 0.1
done
if ((ended)); then
  say "Murivale ended by itself after about $((i / 10)) s"
else
  # Which windows of Murivale are up, for the report.
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    title=$(xdotool getwindowname "$id" 2>/dev/null)
    case "$title" in "Default IME" | "shell - Wine desktop" | "") continue ;; esac
    windows+="'$title' "
  done
  say "Murivale was still running after $limit s; visible windows: ${windows:-none}"
  shot still-running
fi
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
wait "$desktop" 2>/dev/null
launcher=""

# 5. The desktop as the next logon shows it.
wine explorer /desktop=shell,1024x768 </dev/null >>"$out/desktop.log" 2>&1 &
timeout 30 xdotool search --sync --name '^shell - Wine desktop$' >/dev/null 2>&1 ||
  say "the Wine desktop window did not appear"
# The desktop paints the wallpaper in its own time: the screen is looked at until the 64x64
# square in its middle matches the bitmap's, which Wine's desktop centres (or puts at the top
# left when it is larger than the screen); for at most 30 s.
middle_shows_bitmap() { xvfb_middle_shows "$wallpaper_bmp" "$work"; }
if [ -f "$wallpaper_bmp" ]; then
  deadline=$((SECONDS + 30))
  until middle_shows_bitmap; do
    if ((SECONDS >= deadline)); then
      say "the desktop did not show $wallpaper_bmp within 30 s"
      break
    fi
    sleep 0.1
  done
else
  say "no wallpaper bitmap to wait for on the desktop"
fi
shot desktop
print_registry
made=$(ls "$dist"/*"$WALLPAPER_SUFFIX" 2>/dev/null)
if [ -n "$made" ]; then
  say "wallpaper bitmap(s) in the program folder: $made"
else
  say "no wallpaper bitmap (*$WALLPAPER_SUFFIX) in the program folder"
fi
wineserver -k >/dev/null 2>&1

if ((ended)); then
  say "done: Murivale's logon run ended by itself; see $out/desktop.png"
  exit 0
fi
say "done: Murivale did not end by itself within $limit s (windows: ${windows:-none}); see $out/still-running.png and $out/desktop.png"
exit 1
