#!/usr/bin/env bash
# Tessaban on Windows XP when things are not as saved: the configured folder has been deleted
# (opening repairs the configuration and keeps the logon entry); a folder of one image, a
# wallpaper file that is no picture and a read-only program folder each stop the save with a
# message, write nothing and leave the window open; once the folder is writable the save goes
# through.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

# --- Helpers shared by the setup cases (20 to 24) ------------------------------------------------

SETUP_TITLE="Tessaban - Setup Program for Murivale"
MURIVALE_KEY='HKCU\Software\Murivale'
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
KNOWN_FAULTS=0

known_fault() {
  echo "[$E2E_CASE] KNOWN FAULT: $*" >&2
  KNOWN_FAULTS=$((KNOWN_FAULTS + 1))
}

# setup_prefix VERSION: the case's prefix, with windows that Wine places itself (without a
# window manager, a managed window waits for one each time it is hidden).
setup_prefix() {
  e2e_prefix "$1"
  e2e_reg_set 'HKCU\Software\Wine\X11 Driver' Managed N
}

# install_programs UNIX_FOLDER: both programs in one folder, without bitmaps of earlier runs.
install_programs() {
  mkdir -p "$1" || e2e_fail "cannot make $1"
  cp "$E2E_DIST/Murivale.exe" "$E2E_DIST/Tessaban.exe" "$1/" || e2e_fail "cannot copy the programs"
}

# xdotool sees window titles only. This small Windows helper, built with the same MinGW compiler
# as the programs, lists the controls of a window as the user sees them (class, text, screen
# rectangle, visibility, check state, list entries, focus), and can start the logon entry
# exactly as stored, the way the system does at logon.
probe_build() {
  PROBE=$E2E_WORK/probe.exe
  command -v x86_64-w64-mingw32-gcc >/dev/null ||
    e2e_fail "x86_64-w64-mingw32-gcc is needed to build the window probe (tools/install-deps.sh)"
  cat >"$E2E_WORK/probe.c" <<'EOF'
#include <windows.h>
#include <stdio.h>
static HWND focus;
static void put(const wchar_t *w) {
    static char buf[65536];
    if (WideCharToMultiByte(CP_UTF8, 0, w, -1, buf, sizeof buf, 0, 0) <= 0) buf[0] = 0;
    for (char *p = buf; *p; ++p) {
        if (*p == '\n') fputs("\\n", stdout);
        else if (*p != '\r') putchar(*p == '\t' ? ' ' : *p);
    }
}
static BOOL CALLBACK control(HWND h, LPARAM top) {
    wchar_t cls[64], text[4096] = L"";
    RECT r;
    if (GetParent(h) != (HWND)top) return TRUE;
    GetClassNameW(h, cls, 64);
    SendMessageW(h, WM_GETTEXT, 4096, (LPARAM)text);
    GetWindowRect(h, &r);
    put(cls); putchar('\t'); put(text);
    printf("\t%ld,%ld,%ld,%ld\t%s", r.left, r.top, r.right - r.left, r.bottom - r.top,
           IsWindowVisible(h) ? "visible" : "hidden");
    if (!lstrcmpiW(cls, L"Button"))
        printf("\t%s", SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "unchecked");
    if (!lstrcmpiW(cls, L"ListBox")) {
        LRESULT n = SendMessageW(h, LB_GETCOUNT, 0, 0);
        RECT item = {0};
        SendMessageW(h, LB_GETITEMRECT, 0, (LPARAM)&item);
        MapWindowPoints(h, NULL, (POINT *)&item, 2);
        printf("\tsel=%d\trows=%ld,%ld,%ld\t", (int)SendMessageW(h, LB_GETCURSEL, 0, 0),
               item.left, item.top, item.bottom - item.top);
        for (LRESULT i = 0; i < n; ++i) {
            text[0] = 0;
            if (SendMessageW(h, LB_GETTEXTLEN, i, 0) < 4096) SendMessageW(h, LB_GETTEXT, i, (LPARAM)text);
            if (i) putchar('|');
            put(text);
        }
    }
    if (h == focus) fputs("\tfocused", stdout);
    putchar('\n');
    return TRUE;
}
int wmain(int argc, wchar_t **argv) {
    if (argc == 2 && !lstrcmpW(argv[1], L"runlogon")) {
        wchar_t command[4096];
        DWORD size = sizeof command, code = 1;
        STARTUPINFOW si = {sizeof si};
        PROCESS_INFORMATION pi;
        if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         L"Murivale", RRF_RT_REG_SZ, NULL, command, &size)) return 3;
        if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
            printf("cannot start: error %lu\n", GetLastError());
            return 4;
        }
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &code);
        printf("exit %lu\n", code);
        return 0;
    }
    if (argc != 2) return 2;
    HWND top = FindWindowW(NULL, argv[1]);
    if (!top) return 1;
    GUITHREADINFO gui = {sizeof gui};
    GetGUIThreadInfo(GetWindowThreadProcessId(top, NULL), &gui);
    focus = gui.hwndFocus;
    printf("window\t%s\n", gui.hwndActive == top ? "active" : "inactive");
    EnumChildWindows(top, control, (LPARAM)top);
    return 0;
}
EOF
  x86_64-w64-mingw32-gcc -municode -O1 -s -o "$PROBE" "$E2E_WORK/probe.c" \
    >"$E2E_OUT/probe-build.log" 2>&1 || e2e_fail "cannot build the window probe (probe-build.log)"
}
probe() { wine "$PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# The setup window's controls, one line each (see probe_build); fails when the window is gone.
setup_controls() {
  local out
  out=$(probe "$SETUP_TITLE")
  [ -n "$out" ] || e2e_fail "cannot read the controls of '$SETUP_TITLE'"
  printf '%s\n' "$out"
}
# The shown image count: the third label of the window (the count beside its caption).
image_count() { setup_controls | awk -F'\t' '$1 == "TkLabel" && ++n == 3 { print $2 }'; }
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
  rect=$(setup_controls | awk -F'\t' '$1 == "TkLabel" && ++n == 3 { print $3 }')
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

# regain_keyboard WHAT: after a message box has closed, the setup window should be active again
# with the keyboard focus in it; when it is not, that is reported, and the window is clicked
# (on its caption text, which does nothing) so that the case can go on.
regain_keyboard() {
  sleep 0.5
  [ "$(window_state "$SETUP_TITLE")" == active ] && return 0
  known_fault "after $1 closes, the setup window is not active and has no keyboard focus: keys" \
    "go nowhere until the user clicks it (the message box is shown without the window as owner)"
  local id
  id=$(e2e_find_window "$SETUP_TITLE" | head -n 1)
  # A synchronous pointer move to where the pointer already is waits for nothing; so each click
  # goes elsewhere than the one before.
  e2e_click_in "$id" $((120 + KNOWN_FAULTS % 2 * 60)) 40
  wait_for "the setup window to become active" test "$(window_state "$SETUP_TITLE")" == active
}

# --- The case ---------------------------------------------------------------------------------

export USER=ann
e2e_display 1024x768
setup_prefix winxp
probe_build
drive_c=$(e2e_drive_c)
programs=$drive_c/Tools/Murivale
program_folder='C:\Tools\Murivale'
install_programs "$programs"
base_file="$program_folder\\ann_Base.bmp"
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

# Opening repairs it: the folder values emptied, RunOnStartup "0", the logon entry kept; the
# window shows C:\ with the box unchecked.
t0=$SECONDS
e2e_start "$programs/Tessaban.exe"
pid=$E2E_LAST_PID
e2e_wait_window "$SETUP_TITLE"
win=$E2E_WINDOW
wait_for "the image count" test -n "$(image_count)"
e2e_screenshot opened-after-folder-gone
assert_eq 'C:\' "$(dir_highlighted)" "folder shown when the configured one is gone"
assert_eq "unchecked" "$(startup_box)" "logon box after the repair"
assert_reg "$MURIVALE_KEY" FolderPath ""
assert_reg "$MURIVALE_KEY" BaseFile ""
assert_reg "$MURIVALE_KEY" CurrentFile ""
assert_reg "$MURIVALE_KEY" RunOnStartup 0
assert_reg "$RUN_KEY" Murivale "$logon_command"
e2e_log "opening with the folder gone took $((SECONDS - t0)) s"

# expect_refusal NAME TEXT: Alt+S brings an Error box with TEXT (or text containing it, when TEXT
# starts with '*'); after OK nothing has been written and the window is still open.
expect_refusal() {
  local before text
  before=$(reg_snapshot)
  e2e_keys "$win" alt+s
  e2e_wait_window "Error" 10
  sleep 0.3
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
wait_for "the count of C:\\One" test "$(image_count)" == 1
assert_eq "red" "$(count_colour)" "colour of a count of 1"
expect_refusal one-image "Only one valid image file found in folder"

# Back to C:\ and into a folder of two images.
focus_dir_list
open_entry 'C:\'
open_entry Two
wait_for "the count of C:\\Two" test "$(image_count)" == 2
assert_eq "black" "$(count_colour)" "colour of a count of 2"

# The wallpaper in place exists but is no picture: the save stops with a message naming it.
e2e_reg_set 'HKCU\Software\Microsoft\Internet Explorer\Desktop\General' Wallpaper 'C:\Old\broken.jpg'
expect_refusal unreadable-wallpaper '*C:\Old\broken.jpg'
assert_no_file "$programs/ann_Base.bmp" "base bitmap after the refused save"

# A read-only program folder: the base bitmap cannot be written, the save stops with a message.
# (For root, who may write anyway, the folder is also made immutable.)
e2e_reg_delete 'HKCU\Software\Microsoft\Internet Explorer\Desktop\General' Wallpaper
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
  expect_refusal read-only-folder '*C:\Tools\Murivale\ann_Base.bmp'
  assert_no_file "$programs/ann_Base.bmp" "base bitmap in the read-only folder"
fi
make_writable

# With the folder writable again the same save goes through: the repaired configuration is
# saved afresh (a first save: CurrentFile names the base bitmap), the base bitmap is blank as no
# wallpaper is set, and with the box unchecked and RunOnStartup "0" the logon entry stays.
e2e_keys "$win" alt+s
e2e_wait_no_window "$SETUP_TITLE" 15
e2e_wait_exit "$pid" 15 >/dev/null
assert_no_window "Error"
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Two\'
assert_reg "$MURIVALE_KEY" BaseFile "$base_file"
assert_reg "$MURIVALE_KEY" CurrentFile "$base_file"
assert_reg "$MURIVALE_KEY" RunOnStartup 0
assert_reg "$RUN_KEY" Murivale "$logon_command"
assert_file "$programs/ann_Base.bmp" "blank base bitmap"
assert_eq "BM" "$(head -c 2 "$programs/ann_Base.bmp")" "signature of the blank base bitmap"
assert_eq "1" "$(identify -format '%k' "$programs/ann_Base.bmp" 2>/dev/null)" "colours in the blank base bitmap"

((KNOWN_FAULTS == 0)) || e2e_log "$KNOWN_FAULTS known fault(s), see above"
e2e_pass
