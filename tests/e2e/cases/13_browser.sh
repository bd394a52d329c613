#!/usr/bin/env bash
# The picture browser: it opens on the wallpaper in force, previews each entry the arrow keys
# pass over at the size it would have on the screen, reports a file that is no picture and goes
# on working, applies the chosen picture with Select (Enter) and hands back to the choice window
# with the focus on "Select Custom Background"; Cancel (Esc) changes nothing.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

current_file() { e2e_reg_query "$MURIVALE_KEY" CurrentFile; }

# bmp_size FILE: "WIDTH HEIGHT" of a well-formed bitmap file (magic, size field); fails else.
bmp_size() {
  python3 - "$1" <<'PY' || e2e_fail "wallpaper bitmap $1 is not a well-formed bitmap"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:2] == b"BM" and struct.unpack_from("<I", data, 2)[0] == len(data)
w, h = struct.unpack_from("<ii", data, 18)
print(w, abs(h))
PY
}

# browser_window: the id of the visible picture browser (the wider window titled Murivale).
browser_window() {
  local id w
  for id in $(e2e_find_window "Murivale"); do
    read -r _ _ w _ <<<"$(e2e_window_geometry "$id")"
    ((w > 300)) && { echo "$id"; return 0; }
  done
  return 1
}
shows_browser() { browser=$(browser_window); }
wait_browser() { e2e_wait_until 20 "the picture browser is shown" shows_browser; }

# preview NAME COLOUR: screenshot NAME; prints "WIDTH HEIGHT" of the area of the browser
# that shows COLOUR (0 0 when none does). The browser's list and buttons hold no such colour.
preview() {
  local x y w h geo
  e2e_screenshot "$1"
  read -r x y w h <<<"$(e2e_window_geometry "$browser")"
  geo=$(convert "$E2E_SHOT" -crop "${w}x$h+$x+$y" +repage -fuzz 12% -fill black +opaque "$2" \
    -fill white -opaque "$2" -format '%@' info:)
  if [[ "$geo" =~ ^([0-9]+)x([0-9]+)\+ ]] && ((BASH_REMATCH[1] < w)); then
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
  else
    echo "0 0"
  fi
}

# previews NAME COLOUR: true when the browser previews a picture in COLOUR (screenshot NAME);
# sets pw, ph to the size preview found.
previews() {
  read -r pw ph <<<"$(preview "$1" "$2")"
  E2E_WAIT_NOTE="${pw}x$ph in $2"
  ((pw > 0))
}
# wait_preview NAME COLOUR WHAT: waits until the browser previews COLOUR; fails with WHAT.
wait_preview() { e2e_wait_until 20 "$3" previews "$1" "$2"; }

# labels: the texts of the browser's visible labels, one a line.
labels() { probe | sed -n 's/^  child class=Static text=//p'; }
# load_failure_shown: true when the browser's labels hold "Picture could not load."; sets texts.
load_failure_shown() {
  texts=$(labels)
  [[ "$texts" == *"Picture could not load."* ]]
}

near() { # A B TOLERANCE
  local d=$(($1 - $2)); ((d < 0)) && d=$((-d)); ((d <= $3))
}

# --- Set-up ------------------------------------------------------------------------------------

e2e_need_probe
e2e_setup winxp
drive_c=$(e2e_drive_c)
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
pictures=$drive_c/pictures
mkdir -p "$pictures"
# Flat colours: a screen-sized red picture, a half-sized green one, a quarter-sized blue one,
# and a file that is no picture at all, sorted in this order.
convert -size 1024x768 xc:'#ff0000' -type TrueColor "BMP3:$pictures/a-red.bmp"
convert -size 512x384 xc:'#00ff00' -type TrueColor "BMP3:$pictures/b-green.bmp"
convert -size 256x192 xc:'#0000ff' "$pictures/c-blue.gif"
head -c 5000 /dev/urandom >"$pictures/d-broken.jpg"
# The wallpaper in force is Murivale's own bitmap, made from b-green.bmp.
cp "$pictures/b-green.bmp" "$bitmap"
reg_import <<EOF
[$(reg_section "$MURIVALE_KEY")]
"FolderPath"=$(reg_sz "$(e2e_win_path "$pictures")\\")
"BaseFile"=$(reg_sz "$(e2e_win_path "$base")")
"CurrentFile"=$(reg_sz "$(e2e_win_path "$pictures/b-green.bmp")")

[$(reg_section "$SHELL_WALLPAPER_KEY")]
"Wallpaper"=$(reg_sz "$(e2e_win_path "$bitmap")")
EOF

start_by_hand

# --- Opening: the wallpaper in force is selected and previewed ----------------------------------
e2e_click $((client_x + 80)) $((client_y + 8 + 64 + 12))   # "Select Custom Background"
wait_browser
wait_preview open-green '#00ff00' "the browser previews the wallpaper in force (b-green.bmp)"
gw=$pw gh=$ph
assert_contains "$(labels)" "512x384" "image size of b-green.bmp"

# --- Arrow keys: every entry passed over is previewed at its size on the screen ------------------
e2e_keys "$browser" Up
wait_preview up-red '#ff0000' "Up previews a-red.bmp"
rw=$pw rh=$ph
((rw > 100)) || e2e_fail "Up does not preview a-red.bmp"
assert_contains "$(labels)" "1024x768" "image size of a-red.bmp"
# The screen-sized picture fills the preview; the half-sized one took half of it each way.
near $((2 * gw)) "$rw" 3 && near $((2 * gh)) "$rh" 3 ||
  e2e_fail "previews: a-red ${rw}x$rh, b-green ${gw}x$gh (expected half the size)"
e2e_keys "$browser" Down Down
wait_preview down-blue '#0000ff' "Down Down previews c-blue.gif"
bw=$pw bh=$ph
near $((4 * bw)) "$rw" 4 && near $((4 * bh)) "$rh" 4 ||
  e2e_fail "previews: a-red ${rw}x$rh, c-blue ${bw}x$bh (expected a quarter of the size)"

# --- A file that is no picture: the message, the previous preview stays, the dialog works on ----
e2e_keys "$browser" Down
e2e_wait_until 20 "the browser reports that d-broken.jpg could not load" load_failure_shown
read -r ew eh <<<"$(preview broken '#0000ff')"
assert_contains "$texts" "Picture could not load." "labels on the broken file"
assert_contains "$texts" "256x192" "image size kept from the previous preview"
assert_eq "$bw $bh" "$ew $eh" "preview left standing under the message"
e2e_keys "$browser" Up
e2e_wait_until 20 "the message goes away on a good picture" eval '! load_failure_shown'
# Select below takes the entry whose preview is done: "loading..." has gone as well.
e2e_wait_until 20 "the preview of c-blue.gif is done" eval '[[ "$(labels)" != *"loading..."* ]]'

# --- Select: applied, the choice window comes back with the focus on Select Custom ---------------
e2e_keys "$browser" Return
for ((n = 0; n < 40; n++)); do
  [ "$(current_file)" = "$(e2e_win_path "$pictures/c-blue.gif")" ] && break
  sleep 0.25
done
assert_eq "$(e2e_win_path "$pictures/c-blue.gif")" "$(current_file)" "CurrentFile after Select"
# CurrentFile is written first; the change is done with when the buttons come back (750 ms
# after it).
wait_buttons_back
assert_eq "256 192" "$(bmp_size "$bitmap")" "size of the converted c-blue.gif"
assert_reg "$DESKTOP_KEY" Wallpaper "$(e2e_win_path "$bitmap")"
browser_window >/dev/null && e2e_fail "the browser is still shown after Select"
assert_window "Murivale"
e2e_screenshot choice-after-select
e2e_keys "$choice" space      # the focused button: "Select Custom Background"
wait_browser
wait_preview reopened-blue '#0000ff' "the reopened browser previews the applied c-blue.gif"

# --- Cancel: nothing changes, the choice window comes back ----------------------------------------
applied=$(md5sum <"$bitmap")
e2e_keys "$browser" Up
wait_preview cancel-green '#00ff00' "Up previews b-green.bmp before Cancel"
e2e_keys "$browser" Escape
e2e_wait_until 20 "the browser goes away after Cancel" eval '! browser_window >/dev/null'
wait_buttons_back
assert_eq "$(e2e_win_path "$pictures/c-blue.gif")" "$(current_file)" "CurrentFile after Cancel"
assert_eq "$applied" "$(md5sum <"$bitmap")" "wallpaper bitmap after Cancel"
e2e_keys "$choice" space      # the focus is on "Select Custom Background" again
wait_browser
wait_preview after-cancel '#0000ff' "after Cancel the browser stands on the wallpaper in force"
e2e_keys "$browser" Escape
e2e_wait_until 20 "the browser goes away after Cancel" eval '! browser_window >/dev/null'
wait_buttons_back
e2e_keys "$choice" Escape
e2e_wait_exit "$pid" 15
assert_eq 0 "$?" "exit code"

e2e_pass
