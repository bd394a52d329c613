#!/usr/bin/env bash
# The toolkit's demo form shows one control of every kind: it comes up, its timer ticks, the
# picture box shows its drawn picture, and Esc presses its cancel button and ends it.
# ToolkitDemo.exe is looked for beside the programs, then in the build folder of the same
# architecture (TOOLKIT_DEMO names it explicitly).
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

arch=$(basename "$E2E_DIST")
demo=${TOOLKIT_DEMO:-}
if [ -z "$demo" ]; then
  for candidate in "$E2E_DIST/ToolkitDemo.exe" \
                   "$E2E_REPO/build/w32-win${arch#x}/tests/demo/ToolkitDemo.exe" \
                   "$E2E_REPO"/build/*/tests/demo/ToolkitDemo.exe; do
    if [ -f "$candidate" ]; then
      demo=$candidate
      break
    fi
  done
fi
assert_file "$demo" "toolkit demo"

e2e_display 1024x768
e2e_prefix winxp

e2e_open "Toolkit demo" "$demo"

# demo_geometry: the window's X, Y, WIDTH, HEIGHT and its client area's corner client_x,
# client_y; the client area ends where the frame of the window ends.
demo_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  client_x=$((X + (WIDTH - 600) / 2))
  client_y=$((Y + HEIGHT - 360 - (WIDTH - 600) / 2))
}
# The "Timer: n" label at 6000, 2520 twips; the picture box at 6000, 480 twips, 2760 x 1920.
label_crop() { convert "$1" -crop "180x20+$((client_x + 400))+$((client_y + 168))" +repage rgb:- | md5sum; }
label_sum() { demo_geometry && e2e_region_sum $((client_x + 400)) $((client_y + 168)) 180 20; }
# label_changed SUM: true when the label no longer shows what SUM was taken of.
label_changed() { local now; now=$(label_sum) || return 1; [ "$now" != "$1" ]; }
picture_settled() { demo_geometry && e2e_region_settled $((client_x + 400)) $((client_y + 32)) 184 128; }

# Painted: the picture box holds still (the timer changes only its label and the bar), and
# then the timer has ticked on the screen at least once.
E2E_SETTLED_LAST=""
e2e_wait_until 30 "the demo's picture box is painted" picture_settled
ticked=$(label_sum) || e2e_fail "cannot read the screen"
e2e_wait_until 10 "the demo's timer label changes" label_changed "$ticked"
e2e_screenshot toolkit-demo
first=$E2E_SHOT

# The window is 9000 x 5400 twips of client area: 600 x 360 pixels at 96 dpi, plus its frame.
demo_geometry
[ "$WIDTH" -ge 600 ] || e2e_fail "demo window is $WIDTH pixels wide, expected at least 600"
[ "$HEIGHT" -ge 360 ] || e2e_fail "demo window is $HEIGHT pixels high, expected at least 360"

# The picture box's gradient (top-left corner: no red, no green, full blue) at 6000, 480 twips
# plus the box's 2-pixel frame.
pixel=$(e2e_pixel "$first" $((client_x + 400 + 4)) $((client_y + 32 + 4)))
IFS=, read -r red green blue <<<"$pixel"
((blue > 200 && red < 60 && green < 60)) ||
  e2e_fail "picture box shows $pixel at its top-left, expected the blue corner of the gradient"

# The timer keeps changing the "Timer: n" label: a later screenshot differs there. It ticks
# every 250 ms; the screen is looked at until it shows a change, for at most 10 s.
shot_differs() {
  e2e_screenshot toolkit-demo-later >/dev/null 2>&1
  [ "$(label_crop "$first")" != "$(label_crop "$E2E_SHOT")" ]
}
e2e_wait_until 10 "timer label differs from the first screenshot's" shot_differs

# Esc presses the cancel button, which unloads the only form: the program ends.
e2e_focus "$win"
e2e_keys Escape
e2e_wait_exit "$pid" 15 >/dev/null || true
e2e_wait_no_window "Toolkit demo"

e2e_pass
