# Helpers for end-to-end cases that run the 32-bit build as Windows 98 SE or Me would: through
# the 98 test shim (tests/win98), which makes a copy of each program meet 98's loader, stubs and
# divergent calls under Wine and logs every import or call that would fail there. Source after
# lib.sh:
#
#   . "$(dirname "${BASH_SOURCE[0]}")/../win98_helpers.sh"
#   e2e_init "$@"
#   e2e_win98_attach                  # skips the case (77) unless E2E_DIST is a 32-bit build
#   e2e_display 1024x768
#   e2e_win98_prefix win98            # or winme: this case's copy of a base prefix of that version
#   e2e_win98_start Murivale          # the attached copy, its shim log in the artifacts
#   ...
#   e2e_win98_check_logs              # fails on any call or import 98 would not serve
#
# Environment:
#   E2E_WIN98_NO_EXIT   1 (default): a program 98 would refuse to start still runs, its absent
#                       imports are let through and counted, and the log says WOULD-REFUSE
#                       (which fails the check all the same), so that one run shows every absent
#                       import and every stub it reaches; 0: it is ended at load, as on 98.

E2E_WIN98_TOOL=$E2E_REPO/tests/win98
E2E_WIN98_DIR=""
E2E_WIN98_VERSION=98se
E2E_WIN98_LOGS=()
E2E_WIN98_SEQ=0
# What fails a run: the refusals, and every stub, absent or unknown function called (see
# tests/win98/README.md, "The log").
E2E_WIN98_BAD='^(REFUSED|WOULD-REFUSE|STUB|ABSENT|UNKNOWN|PROC-UNKNOWN)\t'

# e2e_win98_attach: copies of E2E_DIST's programs, each loading shim98.dll first, in the case's
# work folder (E2E_WIN98_DIR); the shim is built when it is missing or older than its sources.
# Skips the case when E2E_DIST holds no 32-bit build (98 runs no other).
e2e_win98_attach() {
  local exe offset machine
  for exe in "$E2E_DIST"/*.exe; do
    [ -f "$exe" ] || continue
    offset=$(od -An -tu4 -j60 -N4 "$exe" 2>/dev/null | tr -d ' ')
    machine=$(od -An -tx2 -j$((${offset:-0} + 4)) -N2 "$exe" 2>/dev/null | tr -d ' ')
    if [ "$machine" != 014c ]; then
      e2e_log "skipped: $(basename "$exe") is not a 32-bit x86 program; Windows 98 runs the x86 build only"
      E2E_FINISHED=1
      exit 77
    fi
  done
  local dll=$E2E_WIN98_TOOL/shim98.dll src
  for src in shim98.c table.tsv gen_table.py; do
    if [ ! -f "$dll" ] || [ "$E2E_WIN98_TOOL/$src" -nt "$dll" ]; then
      (flock 9; bash "$E2E_WIN98_TOOL/build.sh" >&2) 9>"$E2E_WIN98_TOOL/.build.lock" ||
        e2e_fail "could not build the 98 shim (tests/win98/build.sh)"
      break
    fi
  done
  E2E_WIN98_DIR=$E2E_WORK/win98
  mkdir -p "$E2E_WIN98_DIR"
  # The other files of the build as they are, then the attached programs over them.
  cp -a "$E2E_DIST"/. "$E2E_WIN98_DIR"/ || e2e_fail "could not copy $E2E_DIST"
  for exe in "$E2E_DIST"/*.exe; do
    python3 "$E2E_WIN98_TOOL/attach.py" --dll "$dll" "$exe" "$E2E_WIN98_DIR/$(basename "$exe")" >/dev/null ||
      e2e_fail "could not attach the 98 shim to $(basename "$exe")"
  done
  e2e_log "98 shim attached to $(cd "$E2E_DIST" && ls -- *.exe | tr '\n' ' ')in $E2E_WIN98_DIR"
}

# e2e_win98_prefix win98|winme: this case's copy of a base prefix that reports that version, so
# that Wine's own components take their 9x paths too; the shim is told to be the same system.
e2e_win98_prefix() {
  case "$1" in
    win98) E2E_WIN98_VERSION=98se ;;
    winme) E2E_WIN98_VERSION=me ;;
    *) e2e_fail "e2e_win98_prefix: win98 or winme, not '$1'" ;;
  esac
  e2e_prefix "$1"
}

# e2e_win98_start PROGRAM [ARGS...]: starts the attached copy of PROGRAM (a name such as
# Murivale, or Murivale.exe) like e2e_start; its shim log goes to the artifacts folder and is
# remembered for e2e_win98_check_logs. Sets E2E_LAST_PID, E2E_LAST_LOG and E2E_WIN98_LAST_LOG.
E2E_WIN98_LAST_LOG=""
e2e_win98_start() {
  [ -n "$E2E_WIN98_DIR" ] || e2e_fail "e2e_win98_start: call e2e_win98_attach first"
  local name=${1%.exe}
  shift
  E2E_WIN98_SEQ=$((E2E_WIN98_SEQ + 1))
  E2E_WIN98_LAST_LOG=$E2E_OUT/shim98-$E2E_WIN98_SEQ-$name-$E2E_WIN98_VERSION.log
  rm -f "$E2E_WIN98_LAST_LOG"
  E2E_WIN98_LOGS+=("$E2E_WIN98_LAST_LOG")
  SHIM98_LOG=$(e2e_win_path "$E2E_WIN98_LAST_LOG") SHIM98_VERSION=$E2E_WIN98_VERSION \
    SHIM98_NO_EXIT=$([ "${E2E_WIN98_NO_EXIT:-1}" = 1 ] && echo 1) \
    e2e_start "$E2E_WIN98_DIR/$name.exe" "$@"
}

# e2e_win98_log_lines LOG: the log's lines that fail a run, as "kind name xcount (note)".
e2e_win98_log_lines() {
  grep -P "$E2E_WIN98_BAD" "$1" | awk -F'\t' '{ printf "  %s %s x%s (%s)\n", $1, $2, $3, $4 }'
}

# e2e_win98_check_logs: fails the case when a program started with e2e_win98_start logged a
# refusal or called a stub, absent or unknown function, listing every such line of every log;
# also when a log is missing (the shim did not load). Call it after the programs have ended or
# been ended (the shim rewrites its log every 0.2 s while counts change).
e2e_win98_check_logs() {
  local log bad="" lines
  sleep 0.5
  for log in "${E2E_WIN98_LOGS[@]}"; do
    if [ ! -s "$log" ]; then
      bad+="$(basename "$log"): no log: the shim did not load"$'\n'
      continue
    fi
    lines=$(e2e_win98_log_lines "$log")
    [ -z "$lines" ] || bad+="$(basename "$log"):"$'\n'"$lines"$'\n'
  done
  [ -z "$bad" ] || e2e_fail "what Windows 98 would not serve (logs in $E2E_OUT):"$'\n'"$bad"
  e2e_log "98 shim logs clean: ${#E2E_WIN98_LOGS[@]} run(s)"
}
