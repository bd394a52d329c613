#!/usr/bin/env bash
# Logon runs killed while they write the converted bitmap (as a forced log-off or a power cut
# would end them), on a folder of two different 24-megapixel JPEGs: each leaves its half-written
# temporary file, the bitmap itself stays whole, the record of the current wallpaper names the
# picture the bitmap holds after every kill, and the next run that gets to write removes what
# the killed runs left. A file of the same kind that belongs to someone else stays.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

kills=4

temporaries() { # the converted bitmap's temporary files in the program folder, one a line
  find "$program" -maxdepth 1 -name "${USER}${WALLPAPER_SUFFIX}.*.tmp" -printf '%f\n' | sort
}

# bmp_whole FILE: a complete Windows bitmap file (its size field equals the file's size).
bmp_whole() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
sys.exit(0 if len(data) >= 54 and data[:2] == b"BM" and struct.unpack_from("<I", data, 2)[0] == len(data) else 1)
PY
}

e2e_display 1024x768
e2e_prefix winxp
drive_c=$(e2e_drive_c)
pictures=$drive_c/pictures
mkdir -p "$pictures"
# Two pictures told apart by their colour: one red, two blue.
convert -size 6000x4000 xc:'#e01010' -quality 90 "$pictures/one.jpg" || e2e_fail "could not make one.jpg"
convert -size 6000x4000 xc:'#1010e0' -quality 90 "$pictures/two.jpg" || e2e_fail "could not make two.jpg"

# bitmap_picture FILE: which picture a whole bitmap holds, by the colour of its first pixel.
bitmap_picture() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
offset = struct.unpack_from("<I", data, 10)[0]
blue, green, red = data[offset:offset + 3]
print("one.jpg" if red > 128 > blue else "two.jpg" if blue > 128 > red else "neither")
PY
}
# record_matches_bitmap WHEN: the record of the current wallpaper names the picture the bitmap holds.
record_matches_bitmap() {
  local record holds
  record=$(e2e_reg_query "$MURIVALE_KEY" CurrentFile) || e2e_fail "no CurrentFile $1"
  holds=$(bitmap_picture "$bitmap")
  e2e_log "$1: CurrentFile names ${record##*\\}, the bitmap holds $holds"
  assert_eq "$holds" "${record##*\\}" "the picture the record names $1"
}
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
reg_import <<EOF
[$(reg_section "$MURIVALE_KEY")]
"FolderPath"=$(reg_sz "$(e2e_win_path "$pictures")\\")
"BaseFile"=$(reg_sz "$(e2e_win_path "$base")")
"CurrentFile"=""
EOF
e2e_run "$exe" /p %1 || e2e_fail "the first logon run failed"
bmp_whole "$bitmap" || e2e_fail "the first logon run left no whole bitmap"
record_matches_bitmap "after the first run"

# Someone else's file of the same kind (another user's interrupted write) is not ours to remove.
others=$program/other${WALLPAPER_SUFFIX}.1-1.tmp
echo half >"$others"

# --- Killed while writing ------------------------------------------------------------------------
killed=0
for ((attempt = 1; attempt <= 20 && killed < kills; attempt++)); do
  marker=$E2E_WORK/started-$attempt
  touch "$marker"
  e2e_start "$exe" /p %1
  pid=$E2E_LAST_PID
  # Wait for a temporary file made by this run that is being filled, then end the process at once.
  # (Each run first removes what the run before it left, so the count of files does not grow.)
  caught=0
  while e2e_is_running "$pid"; do
    if [ -n "$(find "$program" -maxdepth 1 -name "${USER}${WALLPAPER_SUFFIX}.*.tmp" -size +0 -newer "$marker" -print -quit)" ]; then
      kill -KILL "$pid" 2>/dev/null && caught=1
      break
    fi
    sleep 0.01
  done
  e2e_wait_exit "$pid" 15
  if ((caught)); then
    killed=$((killed + 1))
    e2e_log "run $attempt killed while writing; temporary files now: $(temporaries | tr '\n' ' ')"
  else
    e2e_log "run $attempt finished before it could be killed while writing; once more"
  fi
  bmp_whole "$bitmap" || e2e_fail "the bitmap is not whole after run $attempt"
  record_matches_bitmap "after run $attempt"
done
((killed == kills)) || e2e_fail "only $killed of $kills runs could be killed while writing"
left=$(temporaries | wc -l)
((left >= 1)) || e2e_fail "the killed runs left no temporary file: nothing was tested"
e2e_log "$kills killed runs left $left temporary file(s) of $(du -ch $(temporaries | sed "s|^|$program/|") | tail -n 1 | cut -f1)"

# --- The next run cleans up -----------------------------------------------------------------------
e2e_run "$exe" /p %1
assert_eq 0 "$?" "exit code of the logon run after the killed ones"
assert_eq "" "$(temporaries)" "temporary files left after a complete logon run"
bmp_whole "$bitmap" || e2e_fail "the bitmap is not whole after the complete run"
record_matches_bitmap "after the complete run"
assert_file "$others" "another user's temporary file"

e2e_pass
