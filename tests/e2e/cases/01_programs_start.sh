#!/usr/bin/env bash
# Both programs start under Wine and put up a window; a screenshot of each is kept.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

e2e_display 1024x768
e2e_prefix winxp

for program in Murivale Tessaban; do
  exe=$E2E_DIST/$program.exe
  assert_file "$exe" "$program program"
  e2e_start "$exe"
  pid=$E2E_LAST_PID
  # Any visible window of the program's process counts here; what the windows hold is for the
  # cases that follow.
  e2e_wait_process_window "$pid"
  e2e_wait_painted "$E2E_WINDOW" 30
  e2e_screenshot "$program"
  # Stop the program and the prefix's processes before the next one starts.
  wineserver -k >/dev/null 2>&1
  e2e_wait_exit "$pid" 15 >/dev/null || true
  wineserver -w >/dev/null 2>&1
done

e2e_pass
