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
e2e_corpus
corpus=$E2E_CORPUS_DIR

e2e_need_probe
e2e_setup winxp

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
[$(reg_section "$MURIVALE_KEY")]
"FolderPath"=$(reg_sz "$(e2e_win_path "$pictures")\\")
"BaseFile"=$(reg_sz "$(e2e_win_path "$base")")
EOF2

# The list of the visible picture browser, as the probe reads it ("E2eProbe.exe list": for every
# line on its input it answers "COUNT SELECTED LOADING", busy or none). It runs for the whole
# case (list_start), so that asking costs no program start.
list_start() {
  coproc LISTP { "$(e2e_loader "$E2E_PROBE")" "$E2E_PROBE" list 2>/dev/null; }
  list_pid=$LISTP_PID
  exec {list_out}<&"${LISTP[0]}" {list_in}>&"${LISTP[1]}"
  eval "exec ${LISTP[0]}<&- ${LISTP[1]}>&-"
  E2E_PIDS+=("$list_pid")
}
# list_state: asks the helper; sets list_answer ("COUNT SELECTED LOADING", busy or none).
list_state() {
  echo >&"$list_in" || return 1
  IFS= read -r -t 30 -u "$list_out" list_answer || return 1
  list_answer=${list_answer%$'\r'}
}
# list_done_at N: true when the browser stands on entry N and has done with its preview.
list_done_at() {
  list_state || return 1
  E2E_WAIT_NOTE="list: $list_answer"
  [[ "$list_answer" =~ ^[0-9]+\ $1\ 0$ ]]
}

start_by_hand 60
e2e_click $((client_x + 80)) $((client_y + 84))   # "Select Custom Background"
shows_browser() {
  local id bw
  for id in $(e2e_find_window "Murivale"); do
    read -r _ _ bw _ <<<"$(e2e_window_geometry "$id")"
    ((bw > 300)) && { browser=$id; return 0; }
  done
  return 1
}
e2e_wait_until 30 "the picture browser is shown" shows_browser
e2e_wait_painted "$browser" 60

# The list as the browser holds it: its entries and the one it stands on.
list_start
e2e_wait_until 60 "the browser's list can be read" eval 'list_state && [[ "$list_answer" =~ ^[0-9]+\ -?[0-9]+\ 0$ ]]'
read -r rows selected _ <<<"$list_answer"
e2e_log "the list holds $rows entries ((None) included), the browser stands on entry $selected"

# Down over every entry, each once the browser has taken the one before and done with its
# preview; the program must stay alive throughout.
downs=$((rows - 1 - selected))
started=$(date +%s)
for ((i = 1; i <= downs; i++)); do
  e2e_keys "$browser" Down
  E2E_WAIT_INTERVAL=0.02 e2e_wait_until 60 "the browser previews entry $((selected + i)) of $((rows - 1))" \
    list_done_at $((selected + i))
  if ((i % 50 == 0)); then
    e2e_is_running "$pid" || e2e_fail "Murivale ended while previewing entry $i"
    e2e_screenshot "entry-$i"
  fi
done
e2e_log "pressed Down $downs times in $(($(date +%s) - started)) s"
e2e_is_running "$pid" || e2e_fail "Murivale ended during the previews"

# The dialog still works: Esc goes back to the choice window, Esc again ends the program.
e2e_keys "$browser" Escape
e2e_wait_until 60 "the browser goes away after Esc" eval '! shows_browser'
wait_buttons_back 60
e2e_keys "$choice" Escape
e2e_wait_exit "$pid" 60
assert_eq 0 "$?" "exit code after previewing every corpus file"
e2e_pass
