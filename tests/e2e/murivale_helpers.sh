# Helpers shared by Murivale's end-to-end cases (10 to 15). Sourced after lib.sh and e2e_init.

export MURIVALE_DISPLAY_FIRST=${MURIVALE_DISPLAY_FIRST:-100}
export USER=mvtester   # the login name Wine reports, and so the bitmap's name

# The program runs from a folder of its own, since it writes its bitmaps there: `program` is
# that folder, `exe` the program in it and `bitmap` the converted wallpaper it makes.
program=$E2E_WORK/program
mkdir -p "$program"
assert_file "$E2E_DIST/Murivale.exe" "Murivale program"
cp "$E2E_DIST/Murivale.exe" "$program/"
exe=$program/Murivale.exe
bitmap=$program/${USER}${WALLPAPER_SUFFIX}

# reg_sz TEXT: TEXT as a quoted string value of a registry import file.
reg_sz() { local v=${1//\\/\\\\}; printf '"%s"' "${v//\"/\\\"}"; }

# reg_import: imports the registry lines on standard input (REGEDIT4 format, no header).
reg_import() {
  local file
  file=$(mktemp "$E2E_WORK/import.XXXXXX")
  { echo REGEDIT4; echo; cat; } >"$file"
  wine regedit /S "$(e2e_win_path "$file")" </dev/null >/dev/null 2>&1 ||
    e2e_fail "registry import failed: $(cat "$file")"
}

# configure FOLDER [no-wallpaper]: Murivale's configuration for the pictures in FOLDER (a Unix
# path), with the case's base bitmap ($base) and no current picture; with no-wallpaper, the
# desktop has no wallpaper either.
configure() {
  local clear=""
  [ "${2:-}" == no-wallpaper ] &&
    clear=$(printf '[%s]\n"Wallpaper"=""\n\n' "$(reg_section "$DESKTOP_KEY")" "$(reg_section "$SHELL_WALLPAPER_KEY")")
  reg_import <<EOF
[$(reg_section "$MURIVALE_KEY")]
"FolderPath"=$(reg_sz "$(e2e_win_path "$1")\\")
"BaseFile"=$(reg_sz "$(e2e_win_path "$base")")
"CurrentFile"=""

$clear
EOF
}

# probe: the window order, foreground window and control texts (e2e_probe windows).
probe() { e2e_probe windows; }

# start_by_hand [SECONDS]: starts Murivale without arguments and waits until the choice window
# shows its buttons (up to SECONDS for each, by default as e2e_open and wait_buttons_back do);
# sets pid, choice and the client area's corner client_x, client_y.
start_by_hand() {
  e2e_open ${1:+-t "$1"} Murivale "$exe"
  choice=$win
  choice_client "$choice"
  wait_buttons_back "${1:-20}"
}

# find_map_watcher: the path of the X map watcher (tests/e2e/map_watcher), built on first use.
find_map_watcher() {
  local out=$E2E_WORK/map_watcher
  [ -x "$out" ] && { echo "$out"; return 0; }
  g++ -std=c++17 -O2 -o "$out" "$E2E_LIB_DIR/map_watcher/MapWatcher.cpp" -lX11 >&2 || return 1
  echo "$out"
}

# watch_start: starts watching the screen for windows that become visible; returns once the
# watch is in place. watch_stop then ends it.
watch_start() {
  local watcher line
  watcher=$(find_map_watcher) || e2e_fail "could not build the map watcher (g++, libx11-dev)"
  coproc WATCH { "$watcher" 2>&1; }
  # Copies of its pipes and number: bash forgets WATCH and WATCH_PID once the watcher has ended.
  watch_pid=$WATCH_PID
  exec {watch_out}<&"${WATCH[0]}" {watch_in}>&"${WATCH[1]}"
  eval "exec ${WATCH[0]}<&- ${WATCH[1]}>&-"
  E2E_PIDS+=("$watch_pid")
  IFS= read -r -t "$E2E_TIMEOUT" -u "$watch_out" line || e2e_fail "the map watcher did not start"
  assert_eq "watching" "$line" "map watcher's first line"
}

# watch_stop NAME: ends the watch begun by watch_start, keeps its report as NAME-maps.txt and
# sets watch_maps (windows mapped meanwhile), watch_created (windows made) and watch_left (of
# those, still existing at the end, so that a late map could not be ruled out).
watch_stop() {
  local line report=$E2E_OUT/$1-maps.txt
  : >"$report"
  exec {watch_in}>&-
  watch_maps="" watch_created="" watch_left=""
  while IFS= read -r -t 30 -u "$watch_out" line; do
    printf '%s\n' "$line" >>"$report"
    if [[ "$line" =~ ^end\ maps=([0-9]+)\ created=([0-9]+)\ left=([0-9]+)$ ]]; then
      watch_maps=${BASH_REMATCH[1]} watch_created=${BASH_REMATCH[2]} watch_left=${BASH_REMATCH[3]}
      break
    fi
  done
  exec {watch_out}<&-
  wait "$watch_pid" 2>/dev/null
  [ -n "$watch_maps" ] || e2e_fail "the map watcher gave no report ($report)"
}

# choice_client ID: the screen position of the choice window's client area, client_x and
# client_y. The window region cuts the frame away; the client area is 161x137 pixels and ends
# the border's width above the window's bottom edge.
choice_client() {
  local x y w h border
  read -r x y w h <<<"$(e2e_window_geometry "$1")"
  [ -n "$h" ] || e2e_fail "the choice window $1 is gone"
  border=$(((w - 161) / 2))
  client_x=$((x + border)); client_y=$((y + h - 137 - border))
}

# choice_buttons_are enabled|disabled: true when the screen shows all four buttons of the
# choice window (at client_x, client_y) so: an enabled button's caption is dark, a disabled
# one's is light grey, without a pixel darker than half grey. Sets E2E_WAIT_NOTE to the dark
# pixels counted in each caption.
choice_buttons_are() {
  local shot=$E2E_WORK/choice-buttons.png n dark counts="" ok=0
  xwd -root -silent 2>/dev/null |
    convert xwd:- -crop "161x137+$client_x+$client_y" +repage "png:$shot" 2>/dev/null || return 1
  for n in 0 1 2 3; do
    # The caption's band, inside the button's edge and focus rectangle.
    dark=$(convert "$shot" -crop "133x13+14+$((14 + 32 * n))" +repage -colorspace gray \
      -threshold 50% -negate -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null) || return 1
    counts+=" $dark"
    case $1 in
      enabled) ((dark >= 40)) || ok=1 ;;
      disabled) ((dark == 0)) || ok=1 ;;
    esac
  done
  E2E_WAIT_NOTE="dark caption pixels:$counts"
  return $ok
}

# wait_buttons_back [SECONDS]: waits until the choice window shows its buttons enabled: it
# has painted them, or a change is done with and they came back.
wait_buttons_back() {
  e2e_wait_until "${1:-20}" "the choice window shows its four buttons enabled" choice_buttons_are enabled
}
