# Helpers shared by the setup program's end-to-end cases (20 to 24). Sourced after lib.sh and
# e2e_init.

SETUP_TITLE="Tessaban - Setup Program for Murivale"
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
    if (argc == 4 && !lstrcmpW(argv[1], L"runlogon")) {
        wchar_t command[4096];
        DWORD size = sizeof command, code = 1;
        STARTUPINFOW si = {sizeof si};
        PROCESS_INFORMATION pi;
        if (RegGetValueW(HKEY_CURRENT_USER, argv[2], argv[3], RRF_RT_REG_SZ, NULL, command, &size))
            return 3;
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

