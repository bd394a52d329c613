#!/usr/bin/env bash
# A logon run shows nothing, not even for a moment: the X screen is watched for windows being
# mapped through whole logon runs (many of them: a flash may come in some runs only), both runs
# that apply a wallpaper and runs that end quietly because the folder cannot be catalogued.
# First, as a check of the watch itself, a start by hand, whose choice window must be seen.
#
#   E2E_LOGON_RUNS   logon runs that apply a wallpaper (default 12); tools/soak-logon.sh asks
#                    for many more.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

runs=${E2E_LOGON_RUNS:-12}

# logon_unseen NAME: one logon run under watch; it must end with exit code 0 and no window may
# have been mapped meanwhile.
logon_unseen() {
  watch_start
  e2e_run "$exe" /p %1
  local rc=$?
  watch_stop "$1"
  assert_eq 0 "$rc" "exit code of logon run $1"
  assert_eq 0 "$watch_left" "windows of logon run $1 still there when the watch ended"
  if ((watch_maps != 0)); then
    e2e_fail "logon run $1 showed $watch_maps window(s): $(grep '^map' "$E2E_OUT/$1-maps.txt" | tr '\n' ';')"
  fi
}

e2e_display 1024x768
e2e_prefix winxp
drive_c=$(e2e_drive_c)
pictures=$drive_c/pictures
mkdir -p "$pictures"
cp "$E2E_REPO"/samples/*.jpg "$E2E_REPO"/samples/*.gif "$E2E_REPO"/samples/*.bmp "$pictures/"
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
configure "$pictures"
# The prefix's own first start (its desktop process, its services) is not part of any run.
e2e_run "$exe" /p %1 || e2e_fail "the first logon run failed"

# --- The watch sees what a person sees ------------------------------------------------------------
watch_start
e2e_start "$exe"
pid=$E2E_LAST_PID
e2e_wait_window "Murivale"
kill "$pid"
e2e_wait_exit "$pid" 15
watch_stop by-hand
((watch_maps >= 1)) || e2e_fail "the watch did not see the choice window of a start by hand"
e2e_log "start by hand: $watch_maps window(s) mapped, as expected"

# --- Logon runs that apply a wallpaper ------------------------------------------------------------
for ((i = 1; i <= runs; i++)); do
  rm -f "$bitmap"
  logon_unseen "logon-$i"
  assert_file "$bitmap" "wallpaper bitmap of logon run $i"
done
e2e_log "$runs logon runs applied a wallpaper and showed no window"

# --- Logon runs that end quietly --------------------------------------------------------------------
# A folder that is gone, and one with a single picture: the wallpaper stays, nothing is shown.
configure "$drive_c/gone"
for ((i = 1; i <= 3; i++)); do logon_unseen "gone-$i"; done
single=$drive_c/single
mkdir -p "$single"
cp "$E2E_REPO/samples/sunrise.jpg" "$single/"
configure "$single"
for ((i = 1; i <= 3; i++)); do logon_unseen "single-$i"; done
assert_file "$bitmap" "the wallpaper bitmap after the quiet runs"

e2e_pass
