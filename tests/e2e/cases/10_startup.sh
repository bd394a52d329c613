#!/usr/bin/env bash
# Murivale's start-up under Wine: which Windows versions it refuses (message box, then it
# ends) and which it runs on; the message for a missing configuration; the choice window of a
# start by hand (centred, topmost); a second start that hands over to the running instance;
# and a picture folder whose hidden files, system files and subfolders stay out of the
# catalogue.
#
# The window manager's own stacking order and foreground window are read with the end-to-end
# probe ("E2eProbe.exe windows", tests/e2e/probe): Wine's X11 driver does not keep topmost
# windows above later ones on the X server, so a screenshot alone cannot tell whether a window
# is topmost.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

# set_version VERSION: what the next programs of the prefix are told the Windows version is.
set_version() {
  reg_import <<EOF
[HKEY_CURRENT_USER\\Software\\Wine]
"Version"="$1"
EOF
}

# error_box_check NAME EXPECTED_TEXT: a message box titled "Error" is up and shows the text
# (line breaks as \n); a screenshot NAME is kept. Sets box_probe to what the probe saw.
error_box_check() {
  e2e_wait_window "Error" 20
  e2e_wait_painted "$E2E_WINDOW" 20
  e2e_screenshot "$1"
  box_probe=$(probe)
  printf '%s\n' "$box_probe" >"$E2E_OUT/$1-windows.txt"
  assert_contains "$box_probe" "title=Error" "windows while the message is up"
  assert_contains "$box_probe" "text=$2" "message box text"
}

# red_share SHOT: the share of strongly red pixels in the message box that box_probe saw (the
# stop icon is red; a box without an icon has none).
red_share() {
  local rect l t r b
  rect=$(printf '%s\n' "$box_probe" | sed -n 's/^window .* rect=\([-0-9,]*\) title=Error$/\1/p' | head -n 1)
  IFS=, read -r l t r b <<<"$rect"
  [ -n "$b" ] || e2e_fail "no message box rectangle in: $box_probe"
  convert "$1" -crop "$((r - l))x$((b - t))+$l+$t" +repage \
    -fx '(r>0.7 && g<0.4 && b<0.4) ? 1 : 0' -format '%[fx:mean]' info:
}

# dismiss_error PID: Enter on the message box; the program must then end by itself.
dismiss_error() {
  e2e_keys "$E2E_WINDOW" Return
  e2e_wait_exit "$1" 15
  assert_eq 0 "$?" "exit code after the message"
  e2e_wait_no_window "Error" 5
}

# wait_choice_painted: waits until the choice window shows its buttons enabled, wherever the
# window stands by then; sets client_x, client_y.
choice_painted() { choice_client "$choice" && choice_buttons_are enabled; }
wait_choice_painted() { e2e_wait_until 20 "the choice window shows its four buttons" choice_painted; }

# cover_in_foreground: true when the probe sees the cover window in the foreground.
cover_in_foreground() { probe | grep -q '^window .*foreground=1 .*title=Cover$'; }
# cover_painted: true when the screen shows the cover's colour inside its top left corner (the
# choice window, if the X server shows it in front, stands in the middle).
cover_painted() {
  local x y w h
  read -r x y w h <<<"$(e2e_window_geometry "$cover")"
  [ "$(e2e_screen_pixel $((x + 2)) $((y + 2)))" == "255,0,255" ]
}

# --- Set-up ------------------------------------------------------------------------------------

e2e_need_probe
e2e_setup winxp

drive_c=$(e2e_drive_c)
pictures=$drive_c/pictures
mkdir -p "$pictures"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/stripes.gif" "$pictures/"
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
configure "$pictures" no-wallpaper

# --- Windows versions -------------------------------------------------------------------------
# Refused: a stop message "Invalid Operating System" titled "Error"; Enter ends the program
# without a choice window and without touching the wallpaper.
for version in win2003 win7; do
  set_version "$version"
  e2e_start "$exe"
  pid=$E2E_LAST_PID
  error_box_check "refused-$version" \
    'Invalid Operating System\nMurivale not operable on this operating system.'
  assert_eq 0 "$(printf '%s\n' "$box_probe" | grep -c 'title=Murivale$')" \
    "choice windows shown on $version"
  awk -v s="$(red_share "$E2E_SHOT")" 'BEGIN { exit !(s > 0.003) }' ||
    e2e_fail "the message on $version shows no stop icon"
  dismiss_error "$pid"
  assert_no_file "$bitmap" "wallpaper bitmap after the refusal on $version"
done

# Supported: a logon run applies one of the two pictures and ends.
for version in win98 winxp; do
  set_version "$version"
  rm -f "$bitmap"
  e2e_run "$exe" /p %1
  rc=$?
  assert_eq 0 "$rc" "exit code of the logon run on $version"
  assert_file "$bitmap" "wallpaper bitmap of the logon run on $version"
  current=$(e2e_reg_query "$MURIVALE_KEY" CurrentFile)
  case "$current" in
    "$(e2e_win_path "$pictures")\\sunrise.jpg" | "$(e2e_win_path "$pictures")\\stripes.gif") ;;
    *) e2e_fail "CurrentFile after the logon run on $version: '$current'" ;;
  esac
done

# --- Missing configuration ----------------------------------------------------------------------
# Either value missing: "Configuration not found!" (no icon), then the program ends.
for missing in BaseFile FolderPath; do
  configure "$pictures" no-wallpaper
  e2e_reg_delete "$MURIVALE_KEY" "$missing"
  e2e_start "$exe"
  pid=$E2E_LAST_PID
  error_box_check "no-$missing" 'Configuration not found!\n\nRun Tessaban.exe first!'
  awk -v s="$(red_share "$E2E_SHOT")" 'BEGIN { exit !(s == 0) }' ||
    e2e_fail "the message for a missing $missing shows an icon"
  dismiss_error "$pid"
done
configure "$pictures" no-wallpaper

# --- Start by hand: centred and topmost ----------------------------------------------------------
rm -f "$bitmap"
e2e_open Murivale "$exe"
first_pid=$pid choice=$win
wait_choice_painted
e2e_screenshot choice-window
read -r x y w h <<<"$(e2e_window_geometry "$choice")"
# Centred as a whole window (frame included, though the frame is cut away on screen).
dx=$((2 * x + w - 1024)); dy=$((2 * y + h - 768))
((dx >= -4 && dx <= 4 && dy >= -4 && dy <= 4)) ||
  e2e_fail "choice window at ${x},${y} size ${w}x${h} is not centred on 1024x768"

# An ordinary window that takes the foreground afterwards stays behind the choice window.
e2e_open Cover "$E2E_PROBE" cover
cover_pid=$pid cover=$win
# The cover shows itself, then raises itself and takes the foreground: the order is read once
# the probe sees it in the foreground and the screen shows it.
e2e_wait_until 30 "the cover window takes the foreground" cover_in_foreground
e2e_wait_until 20 "the cover window is painted" cover_painted
e2e_screenshot choice-and-cover
windows=$(probe)
printf '%s\n' "$windows" >"$E2E_OUT/choice-and-cover-windows.txt"
order=$(printf '%s\n' "$windows" | grep '^window' | grep -E 'title=(Murivale|Cover)$' |
  sed -E 's/.*topmost=([01]) foreground=([01]).*title=(.*)/\3:\1:\2/' | tr '\n' ' ')
assert_eq "Murivale:1:0 Cover:0:1 " "$order" "stacking (title:topmost:foreground, front first)"

# --- Second start -------------------------------------------------------------------------------
# It brings the first instance's window to the foreground and ends quickly; no second choice
# window appears and the first instance keeps running.
start=$(date +%s%N)
e2e_start "$exe"
second_pid=$E2E_LAST_PID
e2e_wait_exit "$second_pid" 15
rc=$?
took_ms=$((($(date +%s%N) - start) / 1000000))
e2e_log "second instance ended after $took_ms ms (exit $rc)"
assert_eq 0 "$rc" "exit code of the second instance"
((took_ms < 10000)) || e2e_fail "the second instance took $took_ms ms to end"
e2e_is_running "$first_pid" || e2e_fail "the first instance ended when the second started"
windows=$(probe)
printf '%s\n' "$windows" >"$E2E_OUT/after-second-start-windows.txt"
assert_eq 1 "$(printf '%s\n' "$windows" | grep -c 'title=Murivale$')" "visible Murivale windows"
printf '%s\n' "$windows" | grep -q 'foreground=1 .*title=Murivale$' ||
  e2e_fail "the first instance's window was not brought forward: $windows"
assert_no_file "$bitmap" "wallpaper bitmap after the second start"
kill "$cover_pid" 2>/dev/null
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1

# --- What the catalogue leaves out -------------------------------------------------------------
# Two visible pictures, a.bmp and b.bmp; everything named to sort after them is to be left out:
# a hidden and a system picture, a folder whose name looks like a picture, a picture inside a
# subfolder, and a name that matches no pattern. The browser's last entry must be b.bmp.
folder=$drive_c/mixed
mkdir -p "$folder/zz-folder.jpg" "$folder/zz-sub"
convert -size 320x240 xc:'#20a020' -type TrueColor "BMP3:$folder/a.bmp"
convert -size 320x240 xc:'#2020a0' -type TrueColor "BMP3:$folder/b.bmp"
for name in zz-hidden.jpg zz-system.jpg zz-folder.jpg/inside.jpg zz-sub/zz.jpg zz.png; do
  cp "$E2E_REPO/samples/sunrise.jpg" "$folder/$name"
done
wine cmd /c "attrib +h $(e2e_win_path "$folder/zz-hidden.jpg") & attrib +s $(e2e_win_path "$folder/zz-system.jpg")" \
  </dev/null >/dev/null 2>&1
attributes=$(wine cmd /c "attrib $(e2e_win_path "$folder")\\zz-*.jpg" </dev/null 2>/dev/null | tr -d '\r')
printf '%s\n' "$attributes" | grep -Eq '^[A-Z ]*H[A-Z ]*[A-Z]:.*zz-hidden.jpg' ||
  e2e_fail "could not mark zz-hidden.jpg hidden: $attributes"
printf '%s\n' "$attributes" | grep -Eq '^[A-Z ]*S[A-Z ]*[A-Z]:.*zz-system.jpg' ||
  e2e_fail "could not mark zz-system.jpg as a system file: $attributes"
configure "$folder" no-wallpaper

e2e_open Murivale "$exe"
choice=$win
# "Select Custom Background" is the third button: 1080 twips down in the client area; the
# buttons are 2175 twips wide from 120.
choice_client "$choice"
e2e_click $((client_x + 80)) $((client_y + 72 + 12))
# The browser is the bigger of the two windows titled Murivale.
for ((n = 0; n < 50; n++)); do
  browser=""
  for id in $(e2e_find_window "Murivale"); do
    read -r _ _ bw _ <<<"$(e2e_window_geometry "$id")"
    ((bw > 300)) && browser=$id
  done
  [ -n "$browser" ] && break
  sleep 0.1
done
[ -n "$browser" ] || e2e_fail "the picture browser did not open"
e2e_wait_painted "$browser"
listed=$(e2e_region_sum $(e2e_window_geometry "$browser"))
e2e_keys "$browser" End
# The last entry is selected and previewed: the browser changes, then holds still.
e2e_wait_until 20 "the browser takes End" e2e_region_changed "$listed" $(e2e_window_geometry "$browser")
e2e_wait_painted "$browser"
e2e_screenshot catalogue-last-entry
e2e_keys Return   # Select: the last entry is applied
for ((n = 0; n < 100; n++)); do
  [ -f "$bitmap" ] && break
  sleep 0.1
done
assert_reg "$MURIVALE_KEY" CurrentFile "$(e2e_win_path "$folder")\\b.bmp"
wait_buttons_back   # 750 ms after the change; Esc needs them
e2e_keys "$choice" Escape
e2e_wait_exit "$pid" 15 >/dev/null

e2e_pass
