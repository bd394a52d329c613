# Helpers shared by the setup program's end-to-end cases (20 to 24). Sourced after lib.sh and
# e2e_init.

SETUP_TITLE="Tessaban - Setup Program for Murivale"

# setup_begin VERSION FOLDER: the beginning of a setup case: the user ann, a prefix of VERSION
# (e2e_setup) and both programs in FOLDER (a C:\ path), without bitmaps of earlier runs. Sets
# drive_c, program_folder (FOLDER) and programs (its Unix path).
setup_begin() {
  export USER=ann
  e2e_need_probe
  e2e_setup "$1"
  drive_c=$(e2e_drive_c)
  program_folder=$2
  programs=$drive_c/${2#C:\\}
  programs=${programs//\\//}
  mkdir -p "$programs" || e2e_fail "cannot make $programs"
  cp "$E2E_DIST/Murivale.exe" "$E2E_DIST/Tessaban.exe" "$programs/" || e2e_fail "cannot copy the programs"
}

# setup_open: starts Tessaban and waits until its window shows an image count; sets pid and win.
setup_open() {
  e2e_open "$SETUP_TITLE" "$programs/Tessaban.exe"
  wait_for "the image count" eval 'test -n "$(image_count)"'
}

# logon_run PICTURES: starts the logon entry exactly as stored, the way the system does at logon,
# in a Wine desktop; it must end with 0 and leave the program's bitmap as the wallpaper, and
# CurrentFile must name one of the samples in PICTURES (a C:\ folder). Sets current to
# CurrentFile and chosen to that sample's name.
logon_run() {
  local t0=$SECONDS wallpaper="$program_folder\\${USER}${WALLPAPER_SUFFIX}"
  e2e_start_desktop 1024x768 "$E2E_PROBE" runlogon "${RUN_KEY#HKCU\\}" "$RUN_VALUE"
  e2e_wait_exit "$E2E_LAST_PID" 90 >/dev/null
  e2e_log "the logon run took $((SECONDS - t0)) s"
  assert_contains "$(tr -d '\r' <"$E2E_LAST_LOG")" "exit 0" "the logon command (log $(basename "$E2E_LAST_LOG"))"
  wineserver -w >/dev/null 2>&1
  assert_reg "$DESKTOP_KEY" Wallpaper "$wallpaper"
  assert_reg "$SHELL_WALLPAPER_KEY" Wallpaper "$wallpaper"
  current=$(e2e_reg_query "$MURIVALE_KEY" CurrentFile) || e2e_fail "CurrentFile is missing after the logon run"
  chosen=${current#"$1\\"}
  [ "$chosen" != "$current" ] && [[ " ${samples[*]} " == *" $chosen "* ]] ||
    e2e_fail "CurrentFile after the logon run names no picture of the folder: '$current'"
  e2e_log "the logon run chose $chosen"
}

# probe TITLE: the controls of the window TITLE as the user sees them (e2e_probe controls).
probe() { e2e_probe controls "$@"; }

# The setup window's controls, one line each (see probe); fails when the window is gone.
setup_controls() {
  local out
  out=$(probe "$SETUP_TITLE")
  [ -n "$out" ] || e2e_fail "cannot read the controls of '$SETUP_TITLE'"
  printf '%s\n' "$out"
}
# The shown image count: the third label of the window (the count beside its caption).
image_count() { setup_controls | awk -F'\t' '$1 == "Static" && ++n == 3 { print $2 }'; }
startup_box() { setup_controls | awk -F'\t' '$1 == "Button" && $2 ~ /Random Wallpaper/ { print $5 }'; }
dir_list() { setup_controls | awk -F'\t' '$1 == "ListBox" && $4 == "visible" { print; exit }'; }
# The entries of the folder tree, one a line, and the highlighted one (the folder shown, unless
# the user has moved the highlight).
dir_entries() { dir_list | cut -f7 | tr '|' '\n'; }
dir_highlighted() {
  local dir sel
  dir=$(dir_list)
  sel=$(cut -f5 <<<"$dir")
  cut -f7 <<<"$dir" | tr '|' '\n' | sed -n "$((${sel#sel=} + 1))p"
}
window_state() { probe "$1" | awk -F'\t' 'NR == 1 && $1 == "window" { print $2 }'; }
# The text of a message box (its one static control with text).
msgbox_text() { probe "$1" | awk -F'\t' '$1 == "Static" && $2 != "" { print $2 }'; }

# count_colour: "red" or "black", the colour of the count's digits on the screen.
count_colour() {
  local rect x y w h
  rect=$(setup_controls | awk -F'\t' '$1 == "Static" && ++n == 3 { print $3 }')
  IFS=, read -r x y w h <<<"$rect"
  e2e_screenshot count-colour >/dev/null
  convert "$E2E_SHOT" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- 2>/dev/null | awk '
    /^[0-9]/ { s = $0; sub(/^[^(]*\(/, "", s); split(s, c, /[,)]/)
      if (c[1] > 160 && c[2] < 90 && c[3] < 90) red++
      else if (c[1] < 90 && c[2] < 90 && c[3] < 90) dark++ }
    END { print (red > 3 && red > dark) ? "red" : (dark > 3 ? "black" : "none") }'
}

# wait_for WHAT COMMAND...: repeats COMMAND (a test) for up to 10 s.
wait_for() {
  local what=$1 n
  shift
  for ((n = 0; n < 50; n++)); do
    "$@" && return 0
    sleep 0.2
  done
  e2e_fail "timed out waiting for $what"
}

# The configuration and the logon entry as they stand, for before-and-after comparisons.
reg_snapshot() {
  local key
  for key in "$MURIVALE_KEY" "$RUN_KEY"; do
    echo "[$key]"
    wine reg query "$key" </dev/null 2>/dev/null | tr -d '\r' | grep 'REG_' | sort
  done
}

# focus_dir_list: moves the keyboard focus to the folder tree with Tab, as the user would.
focus_dir_list() {
  local n
  for ((n = 0; n < 12; n++)); do
    [ "$(dir_list | awk -F'\t' '{ print $NF }')" == focused ] && return 0
    e2e_keys Tab
  done
  e2e_fail "Tab does not reach the folder tree"
}
# tree_opened ENTRIES NAME: the tree no longer shows ENTRIES and has NAME highlighted, as when it
# has just opened the folder NAME.
tree_opened() { [ "$(dir_list | cut -f7)" != "$1" ] && [ "$(dir_highlighted)" == "$2" ]; }
# open_entry NAME: highlights the entry NAME of the folder tree with the arrow keys and opens it
# with Enter; waits until the tree shows that folder.
open_entry() {
  local dir sel index steps key before
  dir=$(dir_list)
  before=$(cut -f7 <<<"$dir")
  sel=$(cut -f5 <<<"$dir"); sel=${sel#sel=}
  index=$(tr '|' '\n' <<<"$before" | awk -v n="$1" '$0 == n { print NR - 1; exit }')
  [ -n "$index" ] || e2e_fail "no entry '$1' in the folder tree ($before)"
  steps=$((index - sel)); key=Down
  if ((steps < 0)); then steps=$((-steps)); key=Up; fi
  for ((; steps > 0; steps--)); do e2e_keys "$key"; done
  e2e_keys Return
  wait_for "the folder tree to open '$1'" tree_opened "$before" "$1"
}
# open_entry_by_mouse NAME: the same with a double-click on the entry.
open_entry_by_mouse() {
  local dir index before rows x y h
  dir=$(dir_list)
  before=$(cut -f7 <<<"$dir")
  index=$(tr '|' '\n' <<<"$before" | awk -v n="$1" '$0 == n { print NR - 1; exit }')
  [ -n "$index" ] || e2e_fail "no entry '$1' in the folder tree ($before)"
  rows=$(cut -f6 <<<"$dir"); rows=${rows#rows=}
  IFS=, read -r x y h <<<"$rows"
  xdotool mousemove --sync $((x + 40)) $((y + index * h + h / 2)) click --repeat 2 --delay 80 1
  wait_for "the folder tree to open '$1'" tree_opened "$before" "$1"
}

# regain_keyboard WHAT: after a message box has closed, the setup window is active again with
# the keyboard focus in it (the box was owned by it); anything else fails the case.
setup_active() { [ "$(window_state "$SETUP_TITLE")" == active ]; }
regain_keyboard() {
  wait_for "the setup window to be active again after $1 closes" setup_active
}

