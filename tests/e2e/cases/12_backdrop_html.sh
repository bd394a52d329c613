#!/usr/bin/env bash
# The black cover of an HTML-rendered desktop. Wine has no such desktop, so the end-to-end
# probe ("E2eProbe.exe desktop", tests/e2e/probe) stands in for it: a "Progman" window whose
# view holds an "Internet Explorer_Server" and a "SysListView32" that logs the key presses it
# receives.
# "Use Random Background" then covers the screen in black behind the choice window for about
# 750 ms while the desktop is asked to refresh (one F5 press per change), and gives the buttons
# back; "Use Default Background" refreshes without a cover and ends the program.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

current_file() { e2e_reg_query "$MURIVALE_KEY" CurrentFile; }

# corner_colour: the colour of the screen's top-left corner, "R,G,B".
corner_colour() {
  xwd -root -silent 2>/dev/null | convert xwd:- -crop 1x1+20+20 -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}
desktop_colour="58,110,165"   # the probe's

# keydowns: the number of key presses the desktop's icon view has received.
keydowns() { grep -c '^WM_KEYDOWN' "$log" 2>/dev/null; }

# random_cycle KEY WHAT: presses KEY on the choice window and follows one change: the black
# cover comes up behind the choice window, stays about 750 ms and goes; one more F5 key press
# reached the icon view; the picture changed. Sets cover_ms.
random_cycle() {
  local key=$1 what=$2 before_keys before_file seen_black=0 t_black=0 t_gone=0 n now
  before_keys=$(keydowns)
  before_file=$(current_file)
  e2e_keys "$choice" "$key"
  for ((n = 0; n < 100; n++)); do
    now=$(corner_colour)
    if ((!seen_black)) && [ "$now" = "0,0,0" ]; then
      seen_black=1
      t_black=$(date +%s%N)
      e2e_screenshot "cover-$what"
    elif ((seen_black)) && [ "$now" = "$desktop_colour" ]; then
      t_gone=$(date +%s%N)
      break
    fi
    sleep 0.05
  done
  ((seen_black)) || e2e_fail "$what: no black cover appeared"
  ((t_gone)) || e2e_fail "$what: the black cover did not go away"
  cover_ms=$(((t_gone - t_black) / 1000000))
  e2e_log "$what: the cover was seen for about $cover_ms ms"
  # Screenshots are slow: the cover is seen for less than its time, but not much more.
  ((cover_ms >= 300 && cover_ms <= 2500)) || e2e_fail "$what: the cover stayed $cover_ms ms, expected about 750"
  assert_eq $((before_keys + 1)) "$(keydowns)" "$what: F5 presses received by the icon view"
  assert_eq "WM_KEYDOWN wParam=0x74 lParam=0x3f0001" "$(grep '^WM_KEYDOWN' "$log" | tail -n 1 | tr -d '\r')" \
    "$what: the key press"
  # While the desktop refreshed: the choice window in front (topmost), the cover right behind
  # it over the whole screen.
  local during
  during=$(tr -d '\r' <"$log" | awk -v k=$((before_keys + 1)) '/^WM_KEYDOWN/ { n++; next } n == k && /^window/' |
    grep -v 'title=Default IME' | head -n 2 | sed -E 's/ foreground=[01]//')
  printf '%s\n' "$during" >"$E2E_OUT/windows-$what.txt"
  assert_eq "window topmost=1 rect=428,303,595,465 title=Murivale
window topmost=0 rect=0,0,1024,768 title=" "$during" "$what: front windows during the refresh"
  assert_ne "$before_file" "$(current_file)" "$what: CurrentFile"
  # The cover's closing gives the buttons back; the next choice needs them.
  wait_buttons_back
}

# --- Set-up ------------------------------------------------------------------------------------

e2e_need_probe
# No Wine desktop: Wine has no "Progman" window of its own then, so the stand-in is the one
# found.
e2e_setup winxp
drive_c=$(e2e_drive_c)
base=$drive_c/base.bmp
convert -size 320x240 xc:'#ff8000' -type TrueColor "BMP3:$base"
pictures=$drive_c/pictures
mkdir -p "$pictures"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/stripes.gif" "$E2E_REPO/samples/checkers.bmp" "$pictures/"
configure "$pictures"

log=$E2E_WORK/desktop-keys.log
: >"$log"
e2e_start "$E2E_PROBE" desktop "$(e2e_win_path "$log")"
for ((n = 0; n < 100; n++)); do
  grep -q '^ready' "$log" && break
  sleep 0.1
done
grep -q '^ready' "$log" || e2e_fail "the stand-in desktop did not start: $(cat "$log")"
probe | grep -q '^Progman=0*[1-9a-f]' || e2e_fail "FindWindow does not find the stand-in desktop"
assert_eq "$desktop_colour" "$(corner_colour)" "desktop colour before Murivale starts"

# --- Random choices on an HTML desktop ------------------------------------------------------------
start_by_hand
assert_eq 0 "$(keydowns)" "key presses before any choice"
random_cycle Return first-random
# The buttons are back with the focus on "Use Random Background": Space presses it.
random_cycle space second-random
cp "$log" "$E2E_OUT/desktop-keys.log"

# "Use Default Background" shows no cover; the desktop is still asked to refresh, and the
# program ends.
x=428; y=303
e2e_click $((x + 3 + 80)) $((y + 25 + 40 + 12))
e2e_wait_exit "$pid" 15
assert_eq 0 "$?" "exit code after Use Default Background"
assert_eq 3 "$(keydowns)" "F5 presses after Use Default Background"
assert_eq "$(e2e_win_path "$base")" "$(current_file)" "CurrentFile after Use Default Background"
assert_eq "$desktop_colour" "$(corner_colour)" "desktop colour after the program ended"
cp "$log" "$E2E_OUT/desktop-keys.log"

e2e_pass
