#!/usr/bin/env bash
# The 32-bit build as Windows 98 SE and Me would run it: each program, through the 98 test shim,
# starts and shows its window without calling anything those systems lack or only stub, and
# without an import their loader would refuse. Skipped for the 64-bit build.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../win98_helpers.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"
e2e_win98_attach

e2e_display 1024x768

# The main window each program shows when started without arguments (a message box in its
# place, such as a refusal of the system, does not count).
declare -A main_title=([Murivale]="Murivale" [Tessaban]="$SETUP_TITLE")

# windows_of PID: the titles of the program's visible windows, one a line.
windows_of() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xdotool getwindowname "$id" 2>/dev/null | grep -vx 'Default IME'
  done
}

missing=""
for version in win98 winme; do
  e2e_win98_prefix "$version"
  for program in Murivale Tessaban; do
    e2e_win98_start "$program"
    pid=$E2E_LAST_PID
    # Up to 30 s for the main window; the program may also end, or stop at another window.
    seen="" deadline=$((SECONDS + 30))
    while ((SECONDS < deadline)) && e2e_is_running "$pid"; do
      seen=$(windows_of "$pid")
      grep -qxF -- "${main_title[$program]}" <<<"$seen" && break
      sleep 0.2
    done
    if grep -qxF -- "${main_title[$program]}" <<<"$seen"; then
      e2e_wait_window "${main_title[$program]}" 5
      e2e_wait_painted "$E2E_WINDOW" 30
      e2e_screenshot "$program-$version"
    else
      [ -z "$seen" ] || e2e_screenshot "$program-$version-instead"
      missing+=$'\n'"  $program ($version): $(e2e_is_running "$pid" && echo "still running" || echo "ended"), showing: $(tr '\n' '|' <<<"${seen:-nothing}")"
    fi
    wineserver -k >/dev/null 2>&1
    e2e_wait_exit "$pid" 15 >/dev/null || true
    wineserver -w >/dev/null 2>&1
  done
done

# What the shim saw decides first: it says why a program did not get as far as its window.
e2e_win98_check_logs
[ -z "$missing" ] || e2e_fail "no main window from:$missing"
e2e_pass
