#!/usr/bin/env bash
# Logon runs as Windows 98 SE runs them (the x86 build through the 98 shim), killed at several
# moments, as a forced log-off or a power cut would end them: as soon as it runs, while the
# converted bitmap is written, and just after the new bitmap has taken its name. 98 has no call
# that replaces a file in one step, so the old bitmap is moved aside first: after every kill a
# whole bitmap is under the name, or, when the name is free, beside it under the set-aside name,
# and (killed before the new bitmap took its name) the record of the current wallpaper names the
# picture that whole bitmap holds; the next complete run leaves the two agreeing. A complete
# run after the kills leaves nothing of ours stray; someone else's file of the same kind stays.
# Skipped for the 64-bit build.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../win98_helpers.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"
e2e_win98_attach

program=$E2E_WIN98_DIR
exe=$program/Murivale.exe
bitmap=$program/${USER}${WALLPAPER_SUFFIX}

ours() { # the temporary and set-aside files of the bitmap in the program folder, one a line
  find "$program" -maxdepth 1 -name "${USER}${WALLPAPER_SUFFIX}.*.tmp" -printf '%f\n' | sort
}

# bitmap_picture FILE: which picture a bitmap file holds, by its first pixel's colour; "broken"
# when it is not a whole bitmap file (its size field equals the file's size), "missing" when
# there is none.
bitmap_picture() {
  [ -e "$1" ] || { echo missing; return; }
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
if len(data) < 54 or data[:2] != b"BM" or struct.unpack_from("<I", data, 2)[0] != len(data):
    print("broken"); sys.exit()
offset = struct.unpack_from("<I", data, 10)[0]
blue, green, red = data[offset:offset + 3]
print("one.jpg" if red > 128 > blue else "two.jpg" if blue > 128 > red else "neither")
PY
}

# check_state WHEN: a whole bitmap under the name, or (the name free) one whole set-aside file
# beside it; the record names the picture it holds.
check_state() { # WHEN [bitmap-only]: the bitmap's state, and the record unless bitmap-only
  local holds aside record
  if [ -e "$bitmap" ]; then
    holds=$(bitmap_picture "$bitmap")
    [ "$holds" != broken ] || e2e_fail "the bitmap is not whole $1"
  else
    aside=$(ours | grep '\.old\.tmp$')
    [ "$(grep -c . <<<"$aside")" == 1 ] ||
      e2e_fail "$1 the bitmap's name is free and the set-aside files are: '${aside//$'\n'/ }'"
    holds=$(bitmap_picture "$program/$aside")
    [ "$holds" != broken ] || e2e_fail "$1 the name is free and the set-aside $aside is not whole"
    e2e_log "$1 the name is free; $aside holds $holds"
  fi
  [ "${2:-}" == bitmap-only ] && return
  record=$(e2e_reg_query "$MURIVALE_KEY" CurrentFile) || e2e_fail "no CurrentFile $1"
  assert_eq "$holds" "${record##*\\}" "the picture the record names $1"
}

e2e_display 1024x768
e2e_win98_prefix win98
drive_c=$(e2e_drive_c)
pictures=$drive_c/pictures
mkdir -p "$pictures"
# Two pictures told apart by their colour, big enough that a run takes a while to write.
convert -size 4000x3000 xc:'#e01010' -quality 90 "$pictures/one.jpg" || e2e_fail "could not make one.jpg"
convert -size 4000x3000 xc:'#1010e0' -quality 90 "$pictures/two.jpg" || e2e_fail "could not make two.jpg"
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
configure "$pictures"

logon_run() { # WHAT: a complete logon run, exit code 0
  e2e_win98_start Murivale /p %1
  e2e_wait_exit "$E2E_LAST_PID" 60
  assert_eq 0 "$?" "exit code of the $1"
}
logon_run "first logon run"
check_state "after the first run"

# Someone else's file of the same kind (another user's interrupted write) is not ours to remove.
others=$program/other${WALLPAPER_SUFFIX}.1-1.tmp
echo half >"$others"

# --- Killed --------------------------------------------------------------------------------------
# moment_reached MOMENT: whether the run started after the marker is at MOMENT now.
moment_reached() {
  case $1 in
    early) [ -s "$E2E_WIN98_LAST_LOG" ] ;;   # the shim has loaded: the program runs
    writing) [ -n "$(find "$program" -maxdepth 1 -name "${USER}${WALLPAPER_SUFFIX}.*-*.tmp" ! -name '*.old.tmp' \
      -size +0 -newer "$marker" -print -quit)" ] ;;
    replaced) [ -n "$(find "$bitmap" -newer "$marker" -print -quit 2>/dev/null)" ] ;;
  esac
}
kill_at() { # MOMENT: a run killed at MOMENT (up to 10 attempts), the state checked after each
  local moment=$1 attempt caught before pid
  caught=0
  for ((attempt = 1; attempt <= 10 && !caught; attempt++)); do
    before=$(bitmap_picture "$bitmap")
    marker=$E2E_WORK/started
    touch "$marker"
    sleep 0.01   # the files the run makes are newer than the marker
    e2e_win98_start Murivale /p %1
    pid=$E2E_LAST_PID
    disown "$pid"   # a killed run makes no notice
    while e2e_is_running "$pid"; do
      if moment_reached "$moment"; then
        kill -KILL "$pid" 2>/dev/null && caught=1
        break
      fi
      sleep 0.005
    done
    e2e_wait_until 60 "the run has ended" eval '! e2e_is_running "$pid"'
    ((caught)) || e2e_log "the run ended before '$moment'; once more"
    # Just after the name was taken counts only where the run changed the picture (a logon run
    # may draw the one in place).
    if ((caught)) && [ "$moment" == replaced ] && [ "$(bitmap_picture "$bitmap")" == "$before" ]; then
      caught=0
      e2e_log "the run killed at '$moment' drew the picture in place; once more"
    fi
    # Killed after the bitmap took its name, the record may still name the picture before (the
    # file and the registry cannot change in one step); the next complete run must mend it.
    check_state "after a run killed at '$moment' (attempt $attempt)" \
      "$([ "$moment" == replaced ] && echo bitmap-only)"
  done
  ((caught)) || e2e_fail "no run could be killed at '$moment' in 10 attempts"
  e2e_log "killed at '$moment'; files beside the bitmap: $(ours | tr '\n' ' ')"
}

kill_at early
kill_at writing
kill_at writing

# --- The next run cleans up -----------------------------------------------------------------------
logon_run "logon run after the killed ones"
check_state "after the complete run"
assert_eq "" "$(ours)" "files of ours left after a complete logon run"
assert_file "$others" "another user's temporary file"

# --- Killed just after the new bitmap has taken its name ----------------------------------------
kill_at replaced
logon_run "logon run after the last killed one"
check_state "after the last complete run"

e2e_win98_check_logs
e2e_pass
