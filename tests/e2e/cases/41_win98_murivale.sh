#!/usr/bin/env bash
# Murivale as Windows 98 SE runs it (the x86 build through the 98 shim): a logon run on a folder
# of a picture with a Cyrillic name, which the Western code page cannot spell, and a file that is
# no picture applies the picture under its 8.3 name; then by hand "Use Random Background", "Keep
# Current Background", "Use Default Background" and the picture browser, which lists that picture
# under a name without '?', previews and applies it. Every change is checked in the registry and
# in the bitmap; no run calls anything 98 lacks. Skipped for the 64-bit build.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../win98_helpers.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"
e2e_win98_attach
e2e_need_probe

# The attached copy writes its bitmaps beside itself.
program=$E2E_WIN98_DIR
exe=$program/Murivale.exe
bitmap=$program/${USER}${WALLPAPER_SUFFIX}

current_file() { e2e_reg_query "$MURIVALE_KEY" CurrentFile; }

# bmp_size FILE: "WIDTH HEIGHT" of a whole bitmap file (magic, size field); fails the case else.
bmp_size() {
  python3 - "$1" <<'PY' || e2e_fail "wallpaper bitmap $1 is not a whole bitmap file"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert len(data) >= 54 and data[:2] == b"BM" and struct.unpack_from("<I", data, 2)[0] == len(data)
w, h = struct.unpack_from("<ii", data, 18)
print(w, abs(h))
PY
}

# assert_applied SOURCE WHAT: the picture SOURCE (a Unix path) is the wallpaper: CurrentFile
# names it as RECORD (its Windows path as the program may open it), both wallpaper values name
# the bitmap, and the bitmap is whole and of the picture's size.
assert_applied() { # SOURCE RECORD WHAT
  local w h
  assert_reg "$MURIVALE_KEY" CurrentFile "$2"
  assert_reg "$DESKTOP_KEY" Wallpaper "$(e2e_win_path "$bitmap")"
  assert_reg "$SHELL_WALLPAPER_KEY" Wallpaper "$(e2e_win_path "$bitmap")"
  read -r w h <<<"$(bmp_size "$bitmap")"
  assert_eq "$(identify -format '%w %h\n' "$1" | head -n 1)" "$w $h" "size of the bitmap $3"
}

# wait_exit_ok WHAT: the last started program ends with exit code 0.
wait_exit_ok() {
  e2e_wait_exit "$pid" 30
  assert_eq 0 "$?" "exit code $1"
}

# click_button N: the Nth button of the choice window, from 0 (Random) to 3 (Keep Current).
click_button() { e2e_click $((client_x + 80)) $((client_y + 8 + 32 * $1 + 12)); }

# start_choice: start_by_hand for the attached copy.
start_choice() {
  e2e_win98_start Murivale
  pid=$E2E_LAST_PID
  e2e_wait_window Murivale
  choice=$E2E_WINDOW
  choice_client "$choice"
  wait_buttons_back
}

# The picture browser: the wider window titled Murivale, in front of the choice window while it
# is up (so the probe's "controls Murivale" reads it).
browser_window() {
  local id w
  for id in $(e2e_find_window "Murivale"); do
    read -r _ _ w _ <<<"$(e2e_window_geometry "$id")"
    ((w > 300)) && { echo "$id"; return 0; }
  done
  return 1
}
shows_browser() { browser=$(browser_window); }
browser_list() { e2e_probe controls Murivale | awk -F'\t' '$1 == "ListBox" { print; exit }'; }
# previews COLOUR: the browser shows an area of COLOUR narrower than itself (the preview).
previews() {
  local x y w h geo
  read -r x y w h <<<"$(e2e_window_geometry "$browser")"
  geo=$(xwd -root -silent 2>/dev/null | convert xwd:- -crop "${w}x$h+$x+$y" +repage -fuzz 12% \
    -fill black +opaque "$1" -fill white -opaque "$1" -format '%@' info: 2>/dev/null)
  E2E_WAIT_NOTE="area in $1: ${geo:-none}"
  [[ "$geo" =~ ^([0-9]+)x([0-9]+)\+ ]] && ((BASH_REMATCH[1] > 20 && BASH_REMATCH[1] < w))
}

# --- Set-up ------------------------------------------------------------------------------------

e2e_display 1024x768
e2e_win98_prefix win98
e2e_reg_set 'HKCU\Software\Wine\X11 Driver' Managed N
drive_c=$(e2e_drive_c)
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
# Flat colours, told apart in the preview: red, green, and blue under a Cyrillic name.
pictures=$drive_c/pictures
winter=$drive_c/winter
mkdir -p "$pictures" "$winter"
convert -size 320x240 xc:'#ff0000' -type TrueColor "BMP3:$pictures/a-red.bmp"
convert -size 256x192 xc:'#00ff00' "$pictures/b-green.gif"
convert -size 400x300 xc:'#0000ff' -quality 95 "$pictures/Зима.jpg"
cp "$pictures/Зима.jpg" "$winter/"
head -c 5000 /dev/urandom >"$winter/broken.jpg"

# --- A logon run on the Cyrillic picture and a file that is no picture ---------------------------
# Whichever it draws first, the run ends on the Cyrillic picture (a logon run tries the others
# when one cannot be used), recorded under a name 98 can open, without '?'.
configure "$winter" no-wallpaper
e2e_win98_start Murivale /p %1
pid=$E2E_LAST_PID
wait_exit_ok "of the logon run"
record=$(current_file) || e2e_fail "no CurrentFile after the logon run"
e2e_log "the logon run recorded '$record'"
[[ "$record" == "$(e2e_win_path "$winter")\\"* && "$record" != *'?'* && "$record" != *broken.jpg ]] ||
  e2e_fail "CurrentFile after the logon run names no usable picture of the folder: '$record'"
assert_applied "$winter/Зима.jpg" "$record" "of the logon run"

# --- Random, then Keep Current ----------------------------------------------------------------
configure "$pictures" no-wallpaper
start_choice
e2e_keys "$choice" Return           # "Use Random Background" is the default button
e2e_wait_until 20 "the random choice records a picture" eval '[ -n "$(current_file)" ]'
wait_buttons_back                   # the change is done with when the buttons come back
random=$(current_file)
case "${random##*\\}" in
  a-red.bmp) assert_applied "$pictures/a-red.bmp" "$random" "of the random choice" ;;
  b-green.gif) assert_applied "$pictures/b-green.gif" "$random" "of the random choice" ;;
  *) assert_applied "$pictures/Зима.jpg" "$random" "of the random choice" ;;
esac
kept=$(md5sum <"$bitmap")
e2e_keys "$choice" Escape           # "Keep Current Background"
wait_exit_ok "after Keep Current Background"
assert_eq "$random" "$(current_file)" "CurrentFile after Keep Current Background"
assert_eq "$kept" "$(md5sum <"$bitmap")" "bitmap after Keep Current Background"

# --- Use Default Background ---------------------------------------------------------------------
start_choice
click_button 1
wait_exit_ok "after Use Default Background"
assert_applied "$base" "$(e2e_win_path "$base")" "of the default background"
assert_eq "255,128,0" "$(convert "bmp:$bitmap" -format '%[fx:int(255*p{32,24}.r)],%[fx:int(255*p{32,24}.g)],%[fx:int(255*p{32,24}.b)]' info:)" \
  "colour of the default background's bitmap"

# --- The picture browser: every picture listed under a usable name, the Cyrillic one applied -----
start_choice
click_button 2
e2e_wait_until 20 "the picture browser is shown" shows_browser
e2e_wait_painted "$browser"
list=$(browser_list)
printf '%s\n' "$list" >"$E2E_OUT/browser-list.txt"
# The list: "(None)", then the pictures.
entries=$(cut -f7 <<<"$list" | tr '|' '\n')
assert_eq "(None)" "$(head -n 1 <<<"$entries")" "first entry of the browser"
assert_eq 4 "$(grep -c . <<<"$entries")" "entries of the browser ($(tr '\n' ' ' <<<"$entries"))"
grep -q '?' <<<"$entries" && e2e_fail "the browser lists a name 98 cannot open: $(tr '\n' ' ' <<<"$entries")"
other=$(grep -vxF -e a-red.bmp -e b-green.gif -e '(None)' <<<"$entries")
[ -n "$other" ] || e2e_fail "the browser does not list the Cyrillic picture: $(tr '\n' ' ' <<<"$entries")"
# The arrow keys to it: its preview shows, and Select applies it.
sel=$(cut -f5 <<<"$list"); sel=${sel#sel=}
index=$(awk -v n="$other" '$0 == n { print NR - 1; exit }' <<<"$entries")
steps=$((index - sel)) key=Down
((steps < 0)) && steps=$((-steps)) key=Up
((steps > 0)) || e2e_fail "the browser opened on the Cyrillic picture, which is not the wallpaper"
e2e_focus "$browser"
for ((; steps > 0; steps--)); do e2e_keys "$key"; done
e2e_wait_until 20 "the browser previews the Cyrillic picture ($other)" previews '#0000ff'
e2e_screenshot browser-preview
e2e_wait_until 20 "the preview is done" eval '[[ "$(e2e_probe controls Murivale)" != *"loading..."* ]]'
e2e_keys "$browser" Return
e2e_wait_until 20 "Select records the Cyrillic picture" eval '[ "$(current_file)" == "$(e2e_win_path "$pictures")\\$other" ]'
wait_buttons_back
assert_applied "$pictures/Зима.jpg" "$(e2e_win_path "$pictures")\\$other" "of the browser's choice"
e2e_keys "$choice" Escape
wait_exit_ok "after the browser's choice"

e2e_win98_check_logs
e2e_pass
