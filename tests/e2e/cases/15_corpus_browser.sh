#!/usr/bin/env bash
# Every file of the image corpus previewed in the picture browser: one folder holding them all,
# the browser opened from the choice window, and the Down key pressed over every entry. Each
# preview shows a picture or "Picture could not load."; the program never crashes or hangs, and
# at the end the dialog still answers Esc and the program ends normally.
# Opt-in (a few minutes): E2E_CORPUS=1.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

if [ "${E2E_CORPUS:-0}" != 1 ]; then
  e2e_log "skipped: set E2E_CORPUS=1 to preview every corpus file in the browser"
  exit 77
fi
corpus=${MURIVALE_CORPUS:-$E2E_REPO/../shared/corpus}
[ -f "$corpus/MANIFEST.tsv" ] || corpus=/work/shared/corpus
[ -f "$corpus/MANIFEST.tsv" ] || { e2e_log "skipped: no image corpus (MURIVALE_CORPUS names it)"; exit 77; }

e2e_display 1024x768
e2e_prefix winxp
reg_import <<'EOF2'
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
EOF2

drive_c=$(e2e_drive_c)
pictures=$drive_c/corpus
mkdir -p "$pictures"
# All files in one folder, each name prefixed with the folder it came from.
while IFS= read -r -d '' file; do
  rel=${file#"$corpus"/}
  cp "$file" "$pictures/${rel//\//_}"
done < <(find "$corpus" -type f ! -name MANIFEST.tsv ! -name README.md -print0)
entries=$(find "$pictures" -maxdepth 1 -type f | grep -ciE '\.(jp[^/]*g|gif|bmp|dib)$')
e2e_log "$entries corpus files in the folder"
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
reg_import <<EOF2
[HKEY_CURRENT_USER\\Software\\Murivale]
"FolderPath"=$(reg_sz "$(e2e_win_path "$pictures")\\")
"BaseFile"=$(reg_sz "$(e2e_win_path "$base")")
EOF2

e2e_start "$program/Murivale.exe"
pid=$E2E_LAST_PID
e2e_wait_window "Murivale" 60
choice=$E2E_WINDOW
read -r x y w h <<<"$(e2e_window_geometry "$choice")"
border=$(((w - 161) / 2))
client_x=$((x + border)); client_y=$((y + h - 137 - border))
sleep 0.5
e2e_click $((client_x + 80)) $((client_y + 84))   # "Select Custom Background"
browser=""
for ((n = 0; n < 100; n++)); do
  [ -n "$browser" ] && break
  for id in $(e2e_find_window "Murivale"); do
    read -r _ _ bw _ <<<"$(e2e_window_geometry "$id")"
    ((bw > 300)) && browser=$id
  done
  sleep 0.1
done
[ -n "$browser" ] || e2e_fail "the picture browser is not shown"

# Down over every entry; the program must stay alive throughout.
started=$(date +%s)
for ((i = 1; i <= entries; i++)); do
  e2e_keys "$browser" Down
  sleep 0.1
  if ((i % 50 == 0)); then
    e2e_is_running "$pid" || e2e_fail "Murivale ended while previewing entry $i"
    e2e_screenshot "entry-$i"
  fi
done
e2e_log "pressed Down $entries times in $(($(date +%s) - started)) s"
e2e_is_running "$pid" || e2e_fail "Murivale ended during the previews"

# The dialog still works: Esc goes back to the choice window, Esc again ends the program.
sleep 2
e2e_keys "$browser" Escape
sleep 1
e2e_keys "$choice" Escape
e2e_wait_exit "$pid" 60
assert_eq 0 "$?" "exit code after previewing every corpus file"
e2e_pass
