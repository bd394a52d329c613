#!/usr/bin/env bash
# The 32-bit build as Windows 98 SE and Me would run it: each program, through the 98 test shim,
# starts and shows its first window without calling anything those systems lack or only stub, and
# without an import their loader would refuse. Skipped for the 64-bit build.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../win98_helpers.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"
e2e_win98_attach

e2e_display 1024x768

# The first window each program shows when started without arguments on a system where nothing
# is set up yet: Tessaban its setup window; Murivale its message that the configuration is
# missing (not its refusal of the system, whose box has the same title).
declare -A main_title=([Murivale]="Error" [Tessaban]="$SETUP_TITLE")
declare -A main_text=([Murivale]="text=Configuration not found!" [Tessaban]="")

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
  # 98 as documented refuses the extended version record; some evidence has 98 and Me take it.
  # The programs must know the system either way: Me here takes it.
  if [ "$version" == winme ]; then export SHIM98_VERSIONEX=accept; else unset SHIM98_VERSIONEX; fi
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
      if [ -n "${main_text[$program]}" ]; then
        shown=$(e2e_probe windows)
        grep -qF -- "${main_text[$program]}" <<<"$shown" ||
          missing+=$'\n'"  $program ($version): its first window does not say '${main_text[$program]#text=}'"
      fi
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
