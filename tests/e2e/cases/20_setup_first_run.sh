#!/usr/bin/env bash
# Tessaban's first run on Windows XP, with no configuration at all: the window opens on C:\ and
# counts the images there (names only, directly in the folder, hidden files left out), the box
# is unchecked and only RunOnStartup "0" is written; Cancel writes nothing more. On the next
# start: the About box comes and goes with Enter, the window keeps the keyboard, an empty folder
# shows "0" in red and its save is refused with a message, without writing; Esc closes.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"

# --- The case ---------------------------------------------------------------------------------

setup_begin winxp 'C:\Tools\Murivale'

# C:\ as the first run finds it: five image names of every kind and letter case, and files
# that do not count: other kinds, a hidden image, an image in a subfolder.
for name in Autumn.JPG leaves.jpeg Logo.Gif scan.dib Tiles.BMP notes.txt photo.png art.tif hidden.jpg; do
  printf 'not really a picture\n' >"$drive_c/$name"
done
mkdir -p "$drive_c/Nested" "$drive_c/Empty"
printf 'x' >"$drive_c/Nested/inner.jpg"
wine attrib +h 'C:\hidden.jpg' </dev/null >/dev/null 2>&1
assert_contains "$(wine attrib 'C:\hidden.jpg' </dev/null 2>/dev/null | tr -d '\r')" "H" "attributes of C:\\hidden.jpg"
assert_eq "" "$(reg_snapshot | grep REG_)" "configuration before the first run"

# First run: the folder tree shows C:\, the count is that of C:\, the box is unchecked.
t0=$SECONDS
setup_open
e2e_screenshot first-run
dir=$(dir_list)
assert_eq "sel=0" "$(cut -f5 <<<"$dir")" "highlighted entry of the folder tree"
assert_eq "C:\\" "$(dir_entries | head -n 1)" "top entry of the folder tree"
assert_contains "|$(cut -f7 <<<"$dir")|" "|Empty|" "folders listed under C:\\"
assert_eq "5" "$(image_count)" "images counted in C:\\"
assert_eq "black" "$(count_colour)" "colour of a count of 5"
assert_eq "unchecked" "$(startup_box)" "logon box on the first run"
assert_eq "focused" "$(setup_controls | awk -F'\t' '$2 == "Accept and &Save" { print $NF }')" \
  "focus when the window opens"
expected_first=$(printf '[%s]\n    RunOnStartup    REG_SZ    0\n[%s]' "$MURIVALE_KEY" "$RUN_KEY")
assert_eq "$expected_first" "$(reg_snapshot)" "registry after opening on the first run"

# Cancel (Alt+C) closes the window and writes nothing more.
e2e_keys "$win" alt+c
e2e_wait_no_window "$SETUP_TITLE" 10
e2e_wait_exit "$pid" 15 >/dev/null
assert_eq "$expected_first" "$(reg_snapshot)" "registry after Cancel"
e2e_log "first run and Cancel took $((SECONDS - t0)) s"

# Next start: RunOnStartup "0" is read as it stands; the box stays unchecked.
setup_open
assert_eq "unchecked" "$(startup_box)" "logon box with RunOnStartup 0"

# The About box: its title and text; Enter closes it and the setup window stays open.
e2e_keys "$win" alt+a
e2e_wait_window "About" 10
about=$E2E_WINDOW
e2e_wait_painted "$about" 20
e2e_screenshot about
assert_eq 'Murivale and Tessaban\n\nCompatible with, as far as I know,\nthe Windows 9x operating systems,\nall Windows 2000 operating systems,\nand the Windows XP operating systems.\n\nCurrent Version:  1.25' \
  "$(msgbox_text About)" "text of the About box"
e2e_keys "$about" Return
e2e_wait_no_window "About" 10
assert_window "$SETUP_TITLE"
e2e_is_running "$pid" || e2e_fail "Tessaban ended when the About box closed"

regain_keyboard "the About box"

# Into the empty folder with the keyboard: the count turns 0, in red.
focus_dir_list
open_entry Empty
wait_for "the count of C:\\Empty" eval 'test "$(image_count)" == 0'
e2e_screenshot empty-folder
assert_eq "red" "$(count_colour)" "colour of a count of 0"

# Saving the empty folder is refused: the message, nothing written, the window stays open.
before=$(reg_snapshot)
e2e_keys alt+s
e2e_wait_window "Error" 10
error=$E2E_WINDOW
e2e_wait_painted "$error" 20
e2e_screenshot no-images
assert_eq "No valid image files found in folder" "$(msgbox_text Error)" "message for a folder without images"
e2e_keys "$error" Return
e2e_wait_no_window "Error" 10
assert_window "$SETUP_TITLE"
assert_eq "$before" "$(reg_snapshot)" "registry after the refused save"

regain_keyboard "the Error box"
# Esc is Cancel: the window closes, and still nothing is written.
e2e_keys "$win" Escape
e2e_wait_no_window "$SETUP_TITLE" 10
e2e_wait_exit "$pid" 15 >/dev/null
assert_eq "$before" "$(reg_snapshot)" "registry after Esc"
assert_no_file "$programs/ann${BASE_SUFFIX}" "base bitmap after runs without a save"

e2e_pass
