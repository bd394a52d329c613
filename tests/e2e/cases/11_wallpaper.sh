#!/usr/bin/env bash
# Wallpaper changes under a Wine desktop that paints the wallpaper: a logon run on the sample
# pictures; "Use Random Background" alternating between two pictures; "Keep Current
# Background"; "Use Default Background"; a picture that cannot be read; and a wallpaper bitmap
# that cannot be written. Each change is checked in the registry, in the converted bitmap and
# on the screen.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

current_file() { e2e_reg_query "$MURIVALE_KEY" CurrentFile; }

# bmp_size FILE: prints "WIDTH HEIGHT" of a well-formed Windows bitmap file (magic "BM", the
# size field equal to the file's size, the pixel data inside the file); fails the case else.
bmp_size() {
  local out
  out=$(python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
if len(data) < 54 or data[:2] != b"BM":
    sys.exit("not a bitmap file (%d bytes, starts %r)" % (len(data), data[:2]))
size, offset = struct.unpack_from("<I", data, 2)[0], struct.unpack_from("<I", data, 10)[0]
if size != len(data):
    sys.exit("size field %d, file %d bytes" % (size, len(data)))
width, height = struct.unpack_from("<ii", data, 18)
if not (14 < offset < len(data)) or width <= 0 or height == 0:
    sys.exit("bad header: offset %d, %dx%d" % (offset, width, height))
print(width, abs(height))
PY
) || e2e_fail "wallpaper bitmap $1: $out"
  echo "$out"
}

# screen_shows_band SHOT: takes the screenshot SHOT and compares its band at x0, y0 with the
# bitmap's at bx, by (cw wide); true when they match. Sets E2E_WAIT_NOTE to the difference.
screen_shows_band() {
  local metric
  xwd -root -silent 2>/dev/null | convert xwd:- "png:$1" 2>/dev/null || return 1
  convert "$1" -crop "${cw}x30+$x0+$y0" +repage "$E2E_WORK/screen-band.png"
  convert "bmp:$bitmap" -crop "${cw}x30+$bx+$by" +repage "$E2E_WORK/bitmap-band.png"
  metric=$(compare -metric RMSE "$E2E_WORK/screen-band.png" "$E2E_WORK/bitmap-band.png" null: 2>&1 |
    sed -n 's/.*(\([0-9.e-]*\)).*/\1/p')
  E2E_WAIT_NOTE="RMSE ${metric:-?}"
  awk -v m="${metric:-1}" 'BEGIN { exit !(m < 0.03) }'
}

# screen_mark: remembers what the screen shows now, for assert_applied to see that the desktop
# repainted where it cannot compare the picture.
screen_mark() { screen_before=$(e2e_region_sum 0 0 1024 768) || e2e_fail "could not read the screen"; }
screen_before=""

# assert_applied SOURCE: the picture SOURCE (a Unix path) is the wallpaper: registry values,
# the converted bitmap (same size as the source) and the screen, where Wine's desktop centres
# it. A band along the top of the picture is compared (the choice window sits lower down);
# the desktop repaints in its own time, so the screen is compared until it shows the picture.
# Pictures bigger than the screen are compared in the registry and the bitmap only.
assert_applied() {
  local source=$1 w h sw sh shot
  assert_reg "$MURIVALE_KEY" CurrentFile "$(e2e_win_path "$source")"
  assert_reg "$DESKTOP_KEY" Wallpaper "$(e2e_win_path "$bitmap")"
  assert_reg "$SHELL_WALLPAPER_KEY" Wallpaper \
    "$(e2e_win_path "$bitmap")"
  read -r w h <<<"$(bmp_size "$bitmap")"
  read -r sw sh <<<"$(identify -format '%w %h\n' "$source" 2>/dev/null | head -n 1)"
  assert_eq "${sw}x$sh" "${w}x$h" "size of the converted bitmap of $(basename "$source")"
  shot=$E2E_OUT/wallpaper-$(basename "$source")-$E2E_LOG_SEQ.png
  if ((w > 1024 || h > 768)); then
    # Wine's desktop scales a picture bigger than the screen in its own way: the screenshot
    # is taken once the screen differs from what screen_mark saw.
    [ -n "$screen_before" ] &&
      e2e_wait_until 20 "the desktop repaints for $(basename "$source")" \
        e2e_region_changed "$screen_before" 0 0 1024 768
    e2e_screenshot "$(basename "$shot" .png)"
    e2e_log "$(basename "$source") is bigger than the screen: its screen check is left out"
    return 0
  fi
  x0=$(((1024 - w) / 2)); ((x0 < 0)) && x0=0
  y0=$(((768 - h) / 2)); ((y0 < 0)) && y0=0
  bx=$(((w - 1024) / 2)); ((bx < 0)) && bx=0
  by=$(((h - 768) / 2)); ((by < 0)) && by=0
  cw=$((w < 1024 ? w : 1024))
  e2e_wait_until 20 "the screen shows $(basename "$source") as the wallpaper" screen_shows_band "$shot"
  e2e_log "screenshot $shot"
}

# click_button N: the Nth button of the choice window, from 0 (Random) to 3 (Keep Current).
click_button() { e2e_click $((client_x + 80)) $((client_y + 8 + 32 * $1 + 12)); }

# wait_current_change OLD [SECONDS]: waits until CurrentFile differs from OLD; prints it.
wait_current_change() {
  local n now
  for ((n = 0; n < ${2:-10} * 4; n++)); do
    now=$(current_file)
    [ "$now" != "$1" ] && { echo "$now"; return 0; }
    sleep 0.25
  done
  echo "$1"
  return 1
}

# message_box: the id of a visible window titled Murivale other than the choice window.
message_box() {
  local id
  for id in $(e2e_find_window "Murivale"); do
    [ "$id" != "$choice" ] && { echo "$id"; return 0; }
  done
  return 1
}

# message_in_front WINDOWS: the message box (the window titled Murivale that holds a Static
# text) comes before the choice window in the probe's front-to-back list: the topmost choice
# window must not hide the message.
message_in_front() {
  local first
  first=$(printf '%s\n' "$1" | awk '
    /^window .*title=Murivale$/ { w = ++n }
    /^  child class=Static text=./ && w { print w; exit }')
  [ "$first" = 1 ]
}
check_message_in_front() { # WINDOWS WHAT
  message_in_front "$1" ||
    e2e_fail "the message box ($2) is behind the topmost choice window, which hides part of its text"
}

# dismiss_message: presses Enter on the message box and waits until it is gone.
dismiss_message() {
  local box
  box=$(message_box) || e2e_fail "no message box to dismiss"
  e2e_keys "$box" Return
  for ((n = 0; n < 50; n++)); do
    message_box >/dev/null || return 0
    sleep 0.1
  done
  e2e_fail "the message box did not go away"
}

# --- Set-up ------------------------------------------------------------------------------------

e2e_need_probe
e2e_setup winxp
# Every program of the prefix runs in one 1024x768 Wine desktop, which paints the wallpaper.
reg_import <<'EOF'
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"shell"="1024x768"
EOF
wine explorer /desktop=shell,1024x768 </dev/null >"$E2E_OUT/desktop.log" 2>&1 &
E2E_PIDS+=("$!")
e2e_wait_window "shell - Wine desktop"

drive_c=$(e2e_drive_c)
base=$drive_c/base.bmp
convert -size 320x240 xc:'#ff8000' -type TrueColor "BMP3:$base"

# --- Logon run on the samples ------------------------------------------------------------------
samples=$drive_c/samples
mkdir -p "$samples"
cp "$E2E_REPO"/samples/*.jpg "$E2E_REPO"/samples/*.jpeg "$E2E_REPO"/samples/*.gif \
  "$E2E_REPO"/samples/*.bmp "$E2E_REPO"/samples/*.dib "$samples/"
configure "$samples" no-wallpaper
screen_mark
e2e_run "$exe" /p %1
assert_eq 0 "$?" "exit code of the logon run"
chosen=$(current_file)
name=${chosen##*\\}
assert_file "$samples/$name" "picture named by CurrentFile '$chosen'"
assert_applied "$samples/$name"
e2e_log "the logon run chose $name"

# --- Random twice, Keep Current ---------------------------------------------------------------
two=$drive_c/two
mkdir -p "$two"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/stripes.gif" "$two/"
configure "$two" no-wallpaper
start_by_hand
e2e_keys "$choice" Return           # "Use Random Background" is the default button
first=$(wait_current_change "") || e2e_fail "the first random choice changed nothing"
# CurrentFile is written first; the change is done with when the buttons come back (750 ms
# after it).
wait_buttons_back
assert_applied "$two/${first##*\\}"
e2e_keys "$choice" Return
second=$(wait_current_change "$first") || e2e_fail "the second random choice did not change the picture"
wait_buttons_back
assert_applied "$two/${second##*\\}"
# Space presses the focused button: the focus is back on "Use Random Background".
e2e_keys "$choice" space
third=$(wait_current_change "$second") || e2e_fail "the third random choice did not change the picture"
assert_eq "$first" "$third" "third pick of two pictures"
wait_buttons_back
kept=$(md5sum <"$bitmap")
e2e_keys "$choice" Escape           # "Keep Current Background"
e2e_wait_exit "$pid" 15
assert_eq 0 "$?" "exit code after Keep Current Background"
assert_eq "$third" "$(current_file)" "CurrentFile after Keep Current Background"
assert_eq "$kept" "$(md5sum <"$bitmap")" "wallpaper bitmap after Keep Current Background"

# --- Use Default Background ---------------------------------------------------------------------
start_by_hand
click_button 1
e2e_wait_exit "$pid" 15
assert_eq 0 "$?" "exit code after Use Default Background"
assert_applied "$base"
pixel=$(convert "bmp:$bitmap" -format '%[fx:int(255*p{160,120}.r)],%[fx:int(255*p{160,120}.g)],%[fx:int(255*p{160,120}.b)]' info:)
assert_eq "255,128,0" "$pixel" "colour of the default background's bitmap"

# --- A picture that cannot be read ------------------------------------------------------------
# good.bmp and bad.jpg (not a picture): with two pictures the random picks alternate, so the
# bad one comes first or second. Its failure names it, keeps the record and gives the buttons
# back.
mixed=$drive_c/mixed
mkdir -p "$mixed"
convert -size 320x240 xc:'#2080ff' -type TrueColor "BMP3:$mixed/good.bmp"
head -c 4000 /dev/urandom >"$mixed/bad.jpg"
configure "$mixed" no-wallpaper
start_by_hand
check_bad_message() { # BEFORE: the message is up, names bad.jpg, and CurrentFile is BEFORE
  local windows
  windows=$(probe)
  printf '%s\n' "$windows" >"$E2E_OUT/bad-picture-windows.txt"
  e2e_screenshot bad-picture-message
  assert_contains "$windows" "could not be changed" "message for the bad picture"
  assert_contains "$windows" "$(e2e_win_path "$mixed/bad.jpg")" "message for the bad picture"
  check_message_in_front "$windows" "bad picture"
  assert_eq "$1" "$(current_file)" "CurrentFile while the failure is reported"
  dismiss_message
}
e2e_keys "$choice" Return
for ((n = 0; n < 60; n++)); do
  message_box >/dev/null && break
  [ "$(current_file)" != "" ] && break
  sleep 0.25
done
if message_box >/dev/null; then
  e2e_log "the bad picture came first"
  check_bad_message ""
  wait_buttons_back
  e2e_keys "$choice" Return       # the buttons work again: the good picture now
  now=$(wait_current_change "") || e2e_fail "no change after the failed picture"
  assert_eq "$(e2e_win_path "$mixed/good.bmp")" "$now" "CurrentFile after the failed picture"
else
  e2e_log "the good picture came first"
  wait_buttons_back
  assert_applied "$mixed/good.bmp"
  e2e_keys "$choice" Return
  for ((n = 0; n < 60; n++)); do
    message_box >/dev/null && break
    sleep 0.25
  done
  message_box >/dev/null || e2e_fail "no message for the bad picture"
  check_bad_message "$(e2e_win_path "$mixed/good.bmp")"
  assert_applied "$mixed/good.bmp"
fi
wait_buttons_back
e2e_keys "$choice" Escape         # enabled again: Keep Current ends the program
e2e_wait_exit "$pid" 15 >/dev/null

# --- A wallpaper bitmap that cannot be written --------------------------------------------------
# A folder in the bitmap's place makes the save fail wherever the tests run (as root, a
# read-only folder would still be writable). The message names the bitmap; the record and the
# wallpaper values stay as they were, the buttons come back and nothing is left behind.
reg_import <<EOF
[$(reg_section "$MURIVALE_KEY")]
"FolderPath"=$(reg_sz "$(e2e_win_path "$two")\\")
EOF
before_current=$(current_file)
before_wallpaper=$(e2e_reg_query "$DESKTOP_KEY" Wallpaper)
rm -f "$bitmap"
mkdir "$bitmap"
start_by_hand
e2e_keys "$choice" Return
for ((n = 0; n < 60; n++)); do
  message_box >/dev/null && break
  sleep 0.25
done
message_box >/dev/null || e2e_fail "no message when the bitmap cannot be written"
windows=$(probe)
printf '%s\n' "$windows" >"$E2E_OUT/unwritable-windows.txt"
e2e_screenshot unwritable-message
assert_contains "$windows" "could not be changed" "message for the unwritable bitmap"
assert_contains "$windows" "$(e2e_win_path "$bitmap")" "message for the unwritable bitmap"
check_message_in_front "$windows" "unwritable bitmap"
dismiss_message
assert_eq "$before_current" "$(current_file)" "CurrentFile after the failed save"
assert_reg "$DESKTOP_KEY" Wallpaper "$before_wallpaper"
wait_buttons_back
e2e_keys "$choice" Escape
e2e_wait_exit "$pid" 15 >/dev/null
leftovers=$(cd "$program" && ls -A | grep -v -x -e Murivale.exe -e "${USER}${WALLPAPER_SUFFIX}")
assert_eq "" "$leftovers" "files left in the program folder"

e2e_pass
