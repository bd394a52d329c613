#!/usr/bin/env bash
# Tessaban on Windows XP when things are not as saved: the configured folder cannot be reached
# (opening shows C:\ and writes nothing: the configuration and the logon entry stay); a folder of one image, a
# wallpaper file that is no picture and a read-only program folder each stop the save with a
# message, write nothing and leave the window open; once the folder is writable the save goes
# through.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"

# --- The case ---------------------------------------------------------------------------------

setup_begin winxp 'C:\Tools\Murivale'
base_file="$program_folder\\ann${BASE_SUFFIX}"
logon_command="$program_folder\\Murivale.exe /p %1"

mkdir -p "$drive_c/One" "$drive_c/Two" "$drive_c/Old"
cp "$E2E_REPO/samples/sunrise.jpg" "$drive_c/One/"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/stripes.gif" "$drive_c/Two/"
printf 'this is no picture at all\n' >"$drive_c/Old/broken.jpg"

# A configuration whose folder has been deleted since it was saved.
e2e_reg_set "$MURIVALE_KEY" FolderPath 'C:\Gone\'
e2e_reg_set "$MURIVALE_KEY" BaseFile "$base_file"
e2e_reg_set "$MURIVALE_KEY" CurrentFile 'C:\Gone\beach.jpg'
e2e_reg_set "$MURIVALE_KEY" RunOnStartup 1
e2e_reg_set "$RUN_KEY" Murivale "$logon_command"

# Opening writes nothing: the window shows C:\ with the box as stored (checked), and every value
# stays as it was until a save.
t0=$SECONDS
setup_open
e2e_screenshot opened-after-folder-gone
assert_eq 'C:\' "$(dir_highlighted)" "folder shown when the configured one is gone"
assert_eq "checked" "$(startup_box)" "logon box as stored"
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Gone\'
assert_reg "$MURIVALE_KEY" BaseFile "$base_file"
assert_reg "$MURIVALE_KEY" CurrentFile 'C:\Gone\beach.jpg'
assert_reg "$MURIVALE_KEY" RunOnStartup 1
assert_reg "$RUN_KEY" "$RUN_VALUE" "$logon_command"
e2e_log "opening with the folder gone took $((SECONDS - t0)) s"

# expect_refusal NAME TEXT: Alt+S brings an Error box with TEXT (or text containing it, when TEXT
# starts with '*'); after OK nothing has been written and the window is still open.
expect_refusal() {
  local before text
  before=$(reg_snapshot)
  e2e_keys "$win" alt+s
  e2e_wait_window "Error" 10
  e2e_wait_painted "$E2E_WINDOW" 20
  e2e_screenshot "$1"
  text=$(msgbox_text Error)
  if [[ "$2" == \** ]]; then
    assert_contains "$text" "${2#\*}" "message of the refused save ($1)"
  else
    assert_eq "$2" "$text" "message of the refused save ($1)"
  fi
  e2e_keys "$E2E_WINDOW" Return
  e2e_wait_no_window "Error" 10
  assert_window "$SETUP_TITLE"
  e2e_is_running "$pid" || e2e_fail "Tessaban ended after the refused save ($1)"
  assert_eq "$before" "$(reg_snapshot)" "registry after the refused save ($1)"
  regain_keyboard "the Error box"
}

# A folder of one image: counted "1" in red, its save refused.
e2e_focus "$win"
focus_dir_list
open_entry One
wait_for "the count of C:\\One" eval 'test "$(image_count)" == 1'
assert_eq "red" "$(count_colour)" "colour of a count of 1"
expect_refusal one-image "Only one valid image file found in folder"

# Back to C:\ and into a folder of two images.
focus_dir_list
open_entry 'C:\'
open_entry Two
wait_for "the count of C:\\Two" eval 'test "$(image_count)" == 2'
assert_eq "black" "$(count_colour)" "colour of a count of 2"

# The wallpaper in place exists but is no picture: the save stops with a message naming it.
e2e_reg_set "$SHELL_WALLPAPER_KEY" Wallpaper 'C:\Old\broken.jpg'
expect_refusal unreadable-wallpaper '*C:\Old\broken.jpg'
assert_no_file "$programs/ann${BASE_SUFFIX}" "base bitmap after the refused save"

# A read-only program folder: the base bitmap cannot be written, the save stops with a message.
# (For root, who may write anyway, the folder is also made immutable.)
e2e_reg_delete "$SHELL_WALLPAPER_KEY" Wallpaper
immutable=0
make_writable() {
  ((immutable)) && chattr -i "$programs" 2>/dev/null
  chmod 755 "$programs" 2>/dev/null
  immutable=0
}
trap 'rc=$?; make_writable; (exit $rc); e2e_cleanup' EXIT
chmod 555 "$programs"
if [ "$(id -u)" == 0 ]; then
  chattr +i "$programs" 2>/dev/null && immutable=1
fi
if touch "$programs/.probe" 2>/dev/null; then
  rm -f "$programs/.probe"
  e2e_log "SKIPPED: the program folder cannot be made read-only here (no chattr +i)"
else
  expect_refusal read-only-folder "*C:\\Tools\\Murivale\\ann${BASE_SUFFIX}"
  assert_no_file "$programs/ann${BASE_SUFFIX}" "base bitmap in the read-only folder"
fi
make_writable

# With the folder writable again the same save goes through: the whole configuration is saved
# (CurrentFile, not empty, is left as it was), the base bitmap is blank as no wallpaper is set,
# and with the box checked RunOnStartup is "1" and the logon entry is written anew.
e2e_keys "$win" alt+s
e2e_wait_no_window "$SETUP_TITLE" 15
e2e_wait_exit "$pid" 15 >/dev/null
assert_no_window "Error"
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Two\'
assert_reg "$MURIVALE_KEY" BaseFile "$base_file"
assert_reg "$MURIVALE_KEY" CurrentFile 'C:\Gone\beach.jpg'
assert_reg "$MURIVALE_KEY" RunOnStartup 1
assert_reg "$RUN_KEY" "$RUN_VALUE" "$logon_command"
assert_file "$programs/ann${BASE_SUFFIX}" "blank base bitmap"
assert_eq "BM" "$(head -c 2 "$programs/ann${BASE_SUFFIX}")" "signature of the blank base bitmap"
assert_eq "1" "$(identify -format '%k' "$programs/ann${BASE_SUFFIX}" 2>/dev/null)" "colours in the blank base bitmap"

e2e_pass
