# Helpers for the end-to-end cases: they drive the real programs under Wine on a private X
# server. A case sources this file, calls e2e_init, and ends with e2e_pass (or fails on the
# first broken assertion, which exits non-zero after cleanup).
#
#   . "$(dirname "$0")/../lib.sh"
#   e2e_init "$@"                     # DIST dir as first argument; sets E2E_DIST, E2E_WORK, ...
#   e2e_display 1024x768              # private Xvfb of that size
#   e2e_prefix winxp [DPI]            # this case's own copy of a base prefix
#                                     # (e2e_setup VERSION: both, and windows Wine places)
#   e2e_open Murivale "$E2E_DIST/Murivale.exe"   # starts it; sets pid and win
#   e2e_screenshot murivale-start
#   e2e_pass
#
# Environment:
#   E2E_ARTIFACTS     where screenshots and logs go (default build/e2e-artifacts); each case
#                     writes into a folder named after it.
#   E2E_PREFIX_CACHE  folder of the base prefixes, shared by all cases of one run (run-all.sh
#                     sets it); without it each case makes its own.
#   E2E_KEEP=1        keep the case's work folder (prefix included) for inspection.
#   E2E_TIMEOUT       default seconds for waits (default 30).
#   E2E_PROBE         the end-to-end probe (default: the windows-x64 build's; see e2e_probe).

set -uo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_REPO=$(cd "$E2E_LIB_DIR/../.." && pwd)
# shellcheck source=tools/xvfb.sh
. "$E2E_REPO/tools/xvfb.sh"
# The registry keys and file names the programs share (MURIVALE_KEY, RUN_KEY, ...).
# shellcheck source=tools/layout.sh
. "$E2E_REPO/tools/layout.sh" || exit 1

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

E2E_TIMEOUT=${E2E_TIMEOUT:-30}
E2E_CASE=""
E2E_DIST=""
E2E_WORK=""
E2E_OUT=""
E2E_PIDS=()
E2E_LOG_SEQ=0
E2E_LAST_PID=""
E2E_LAST_LOG=""
E2E_FINISHED=0

e2e_log() { echo "[$E2E_CASE] $*" >&2; }

# e2e_init [DIST]: names the case after its script, makes its work and artifact folders and
# arranges cleanup. DIST defaults to dist/x64 of the repository.
e2e_init() {
  E2E_CASE=$(basename "${E2E_CASE_SCRIPT:-$0}" .sh)
  E2E_DIST=$(cd "${1:-$E2E_REPO/dist/x64}" 2>/dev/null && pwd) || {
    echo "[$E2E_CASE] FAIL: program folder ${1:-$E2E_REPO/dist/x64} does not exist" >&2
    exit 1
  }
  local artifacts=${E2E_ARTIFACTS:-$E2E_REPO/build/e2e-artifacts}
  E2E_OUT=$artifacts/$E2E_CASE
  rm -rf "$E2E_OUT"
  mkdir -p "$E2E_OUT"
  E2E_OUT=$(cd "$E2E_OUT" && pwd)
  E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/e2e-$E2E_CASE.XXXXXX")
  trap e2e_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 1' USR1
  command -v wine >/dev/null || e2e_fail "wine is not installed (tools/install-deps.sh)"
  command -v xdotool >/dev/null || e2e_fail "xdotool is not installed (tools/install-deps.sh)"
}

e2e_cleanup() {
  local rc=$?
  trap - EXIT
  if [ -n "${WINEPREFIX:-}" ] && [ -n "$E2E_WORK" ] && [[ "$WINEPREFIX" == "$E2E_WORK"/* ]]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    kill "$pid" 2>/dev/null
  done
  xvfb_stop
  # Nothing the case ran may have written into a base prefix through the shared files.
  local base
  for base in "${E2E_BASES[@]}"; do
    if ! "$E2E_REPO/tools/wine-prefix-copy.sh" --check "$base"; then
      echo "[$E2E_CASE] FAIL: the case changed files of the base prefix $base" >&2
      ((rc != 0)) || rc=1
    fi
  done
  if [ -n "$E2E_WORK" ] && [ "${E2E_KEEP:-0}" != 1 ]; then
    rm -rf "$E2E_WORK"
  elif [ -n "$E2E_WORK" ]; then
    e2e_log "work folder kept: $E2E_WORK"
  fi
  if ((rc != 0 && rc != 77)) && ((!E2E_FINISHED)); then
    e2e_log "FAILED (exit $rc); artifacts in $E2E_OUT"
  fi
  exit "$rc"
}

# e2e_fail MESSAGE: reports, takes a screenshot of what is on screen, and ends the case (also
# when called inside a command substitution).
e2e_fail() {
  echo "[$E2E_CASE] FAIL: $*" >&2
  if [ -n "${DISPLAY:-}" ] && [ -n "$XVFB_PID" ]; then
    xwd -root -silent 2>/dev/null | convert xwd:- "png:$E2E_OUT/failure.png" 2>/dev/null
  fi
  if ((BASH_SUBSHELL > 0)); then kill -USR1 $$; fi
  exit 1
}

e2e_pass() {
  E2E_FINISHED=1
  e2e_log "PASS"
  exit 0
}

# e2e_display [WIDTHxHEIGHT]: a private X server for this case (default 1024x768).
e2e_display() {
  xvfb_start "${1:-1024x768}" || e2e_fail "could not start Xvfb"
  e2e_log "display $DISPLAY (${1:-1024x768})"
}

# e2e_base_prefix VERSION [DPI]: prints the folder of a base prefix for that version and DPI,
# making it the first time it is asked for in this run. E2E_WINEARCH=win32 asks for a
# 32-bit-only prefix (a 32-bit Windows); the default is 64-bit. Only the Windows XP prefix at
# Wine's default DPI is booted, once for each architecture; the others are cheap copies of it
# with their version and DPI set (tools/wine-prefix.sh --from). A base is finished when its
# marker BASE.ready beside it exists.
e2e_base_prefix() {
  local version=$1 dpi=${2:-} arch=${E2E_WINEARCH:-}
  [ "$arch" = win64 ] && arch="" # the default: one prefix, however it is asked for
  local cache=${E2E_PREFIX_CACHE:-$E2E_WORK/prefixes}
  local base=$cache/$version${dpi:+-$dpi}${arch:+-$arch} root=""
  if [ "$version" != winxp ] || [ -n "$dpi" ]; then
    root=$(e2e_base_prefix winxp) || return 1
  fi
  mkdir -p "$cache"
  (
    flock 9
    if [ ! -f "$base.ready" ]; then
      rm -rf "$base" "$base".shared "$base".private "$base".stamp
      WINEARCH=$arch "$E2E_REPO/tools/wine-prefix.sh" ${root:+--from "$root"} "$base" "$version" $dpi >&2 ||
        exit 1
      touch "$base.ready"
    fi
  ) 9>"$base.lock" || return 1
  echo "$base"
}

# e2e_prefix VERSION [DPI]: gives this case its own copy of the base prefix (WINEPREFIX). The
# copy shares the base's system modules by hard links (tools/wine-prefix-copy.sh); when the
# case ends, it fails if any of them was changed.
E2E_BASES=()
e2e_prefix() {
  local base
  base=$(e2e_base_prefix "$@") || e2e_fail "could not make a Wine prefix ($*)"
  if [ -n "${WINEPREFIX:-}" ] && [[ "$WINEPREFIX" == "$E2E_WORK"/* ]]; then
    # The case's previous prefix: its server must not outlive the folder.
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  export WINEPREFIX=$E2E_WORK/prefix
  rm -rf "$WINEPREFIX"
  "$E2E_REPO/tools/wine-prefix-copy.sh" "$base" "$WINEPREFIX" || e2e_fail "could not copy the prefix $base"
  E2E_BASES+=("$base")
  # The copy is a new folder: a fresh server is made for it on first use.
  e2e_log "prefix $WINEPREFIX ($*)"
}

# e2e_setup VERSION [DPI]: the usual beginning of a case: a 1024x768 screen, its own copy of
# the prefix (e2e_prefix), and windows that Wine places itself (without a window manager, a
# managed window waits for one each time it is hidden).
e2e_setup() {
  e2e_display 1024x768
  e2e_prefix "$@"
  e2e_reg_set 'HKCU\Software\Wine\X11 Driver' Managed N
}

# The end-to-end probe (tests/e2e/probe/E2eProbe.cpp): it reads windows as the programs see
# them and stands in for parts of a desktop. The windows-x64 preset builds it, and its 64-bit
# build serves the x86 programs too; E2E_PROBE names another build of it.
E2E_PROBE=${E2E_PROBE:-$E2E_REPO/build/windows-x64/tests/e2e/probe/E2eProbe.exe}
# e2e_need_probe: fails the case, saying how to build it, when there is no probe.
e2e_need_probe() {
  [ -f "$E2E_PROBE" ] || e2e_fail "no end-to-end probe at $E2E_PROBE: build the windows-x64" \
    "preset (cmake --preset windows-x64 && cmake --build --preset windows-x64), or set E2E_PROBE"
}
# e2e_probe COMMAND [ARGS...]: runs the probe to its end (20 s at most) and prints what it says.
e2e_probe() {
  e2e_need_probe
  timeout 20 "$(e2e_loader "$E2E_PROBE")" "$E2E_PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'
}

# e2e_corpus: sets E2E_CORPUS_DIR to the shared image corpus, the folder MURIVALE_CORPUS names or
# else shared/corpus beside the checkout's folder; skips the case, saying how to provide it, when
# there is none.
E2E_CORPUS_DIR=""
e2e_corpus() {
  local dir=${MURIVALE_CORPUS:-$E2E_REPO/../shared/corpus}
  if [ ! -f "$dir/MANIFEST.tsv" ]; then
    if [ -n "${MURIVALE_CORPUS:-}" ]; then
      e2e_log "skipped: MURIVALE_CORPUS=$MURIVALE_CORPUS holds no image corpus (no MANIFEST.tsv)"
    else
      e2e_log "skipped: no image corpus at $dir; put it there (shared/corpus beside the checkout) or set MURIVALE_CORPUS to its folder"
    fi
    E2E_FINISHED=1
    exit 77
  fi
  E2E_CORPUS_DIR=$(cd "$dir" && pwd)
}

# e2e_win_path PATH: the Windows form of a Unix path under this prefix (Z: for the root,
# C: for the prefix's drive_c).
e2e_win_path() {
  local p=$1
  if [[ "$p" == "$WINEPREFIX/drive_c/"* ]]; then
    p="C:\\${p#"$WINEPREFIX/drive_c/"}"
  else
    p="Z:$p"
  fi
  echo "${p//\//\\}"
}

# e2e_drive_c: the Unix folder of the prefix's C: drive.
e2e_drive_c() { echo "$WINEPREFIX/drive_c"; }

# e2e_loader PROGRAM: the Wine loader that runs this program in the process it starts. With
# 32-bit Wine installed, `wine` is the 32-bit loader, which runs a 64-bit program in a second
# process; the program's windows would then carry another process id than the one started.
e2e_loader() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  machine=$(od -An -tx2 -j$((${offset:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  if [ "$machine" = 8664 ] && [ -x /usr/lib/wine/wine64 ]; then
    echo /usr/lib/wine/wine64
  else
    echo wine
  fi
}

# e2e_start PROGRAM [ARGS...]: starts a program under Wine in the background. Its output goes
# to a log in the artifacts folder. Sets E2E_LAST_PID and E2E_LAST_LOG.
e2e_start() {
  [ -n "${WINEPREFIX:-}" ] || e2e_fail "e2e_start: no prefix (call e2e_prefix first)"
  [ -f "$1" ] || e2e_fail "program not found: $1"
  E2E_LOG_SEQ=$((E2E_LOG_SEQ + 1))
  E2E_LAST_LOG=$E2E_OUT/wine-$E2E_LOG_SEQ-$(basename "$1" .exe).log
  "$(e2e_loader "$1")" "$@" </dev/null >"$E2E_LAST_LOG" 2>&1 &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
  e2e_log "started $(basename "$1") ${*:2} (pid $E2E_LAST_PID)"
}

# e2e_start_desktop WIDTHxHEIGHT PROGRAM [ARGS...]: like e2e_start, inside a Wine virtual
# desktop that shows the wallpaper. The desktop ends when the program's processes have ended;
# the exit code that e2e_wait_exit then sees is the desktop's, not the program's.
e2e_start_desktop() {
  local size=$1
  shift
  [ -n "${WINEPREFIX:-}" ] || e2e_fail "e2e_start_desktop: no prefix (call e2e_prefix first)"
  [ -f "$1" ] || e2e_fail "program not found: $1"
  E2E_LOG_SEQ=$((E2E_LOG_SEQ + 1))
  E2E_LAST_LOG=$E2E_OUT/wine-$E2E_LOG_SEQ-$(basename "$1" .exe).log
  wine explorer "/desktop=shell,$size" "$@" </dev/null >"$E2E_LAST_LOG" 2>&1 &
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
  e2e_log "started $(basename "$1") ${*:2} on a $size desktop (pid $E2E_LAST_PID)"
}

# e2e_run PROGRAM [ARGS...]: runs a program under Wine to its end and returns its exit code.
e2e_run() {
  E2E_LOG_SEQ=$((E2E_LOG_SEQ + 1))
  local log=$E2E_OUT/wine-$E2E_LOG_SEQ-$(basename "$1" .exe).log
  timeout "$E2E_TIMEOUT" "$(e2e_loader "$1")" "$@" </dev/null >"$log" 2>&1
}

# e2e_wait_exit PID [TIMEOUT]: waits for a started program to end; returns its exit code,
# fails the case when it has not ended in time.
e2e_wait_exit() {
  local pid=$1 limit=$((${2:-$E2E_TIMEOUT} * 10)) n=0
  while kill -0 "$pid" 2>/dev/null; do
    ((n < limit)) || e2e_fail "process $pid still running after ${2:-$E2E_TIMEOUT} s"
    sleep 0.1
    n=$((n + 1))
  done
  wait "$pid"
}

# e2e_is_running PID: true while the started program runs.
e2e_is_running() { kill -0 "$1" 2>/dev/null; }

# Title matching is exact: the title is turned into an anchored regular expression.
e2e_title_regex() {
  local t
  t=$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|/]/\\&/g')
  echo "^$t\$"
}

# e2e_find_window TITLE: prints the ids of visible windows with exactly this title (maybe none).
e2e_find_window() {
  xdotool search --onlyvisible --name "$(e2e_title_regex "$1")" 2>/dev/null
}

# e2e_wait_window TITLE [TIMEOUT]: waits until a visible window has exactly this title and
# sets E2E_WINDOW to its id; fails the case when none appears in time.
E2E_WINDOW=""
e2e_wait_window() {
  E2E_WINDOW=$(timeout "${2:-$E2E_TIMEOUT}" xdotool search --sync --onlyvisible --name "$(e2e_title_regex "$1")" 2>/dev/null | head -n 1)
  [ -n "$E2E_WINDOW" ] || e2e_fail "no window titled '$1' appeared within ${2:-$E2E_TIMEOUT} s"
  e2e_log "window '$1' is $E2E_WINDOW"
}

# e2e_open [-t SECONDS] TITLE PROGRAM [ARGS...]: starts PROGRAM (e2e_start) and waits for its
# window TITLE (up to SECONDS, default E2E_TIMEOUT); sets pid to the process, win to the window.
e2e_open() {
  local limit=$E2E_TIMEOUT title
  if [ "$1" == -t ]; then limit=$2; shift 2; fi
  title=$1
  shift
  e2e_start "$@"
  pid=$E2E_LAST_PID
  e2e_wait_window "$title" "$limit"
  win=$E2E_WINDOW
}

# e2e_wait_process_window PID [TIMEOUT]: waits until the program started as PID shows a
# visible window (any title) and sets E2E_WINDOW and E2E_WINDOW_TITLE; fails the case when the
# program ends first or shows nothing in time.
E2E_WINDOW_TITLE=""
e2e_wait_process_window() {
  local pid=$1 limit=$((${2:-$E2E_TIMEOUT} * 10)) n=0 id
  while :; do
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      E2E_WINDOW_TITLE=$(xdotool getwindowname "$id" 2>/dev/null)
      [ "$E2E_WINDOW_TITLE" == "Default IME" ] && continue
      E2E_WINDOW=$id
      e2e_log "process $pid shows window $id '$E2E_WINDOW_TITLE'"
      return 0
    done
    e2e_is_running "$pid" || e2e_fail "process $pid ended without showing a window"
    ((n < limit)) || e2e_fail "process $pid showed no window within ${2:-$E2E_TIMEOUT} s"
    sleep 0.1
    n=$((n + 1))
  done
}

# e2e_wait_no_window TITLE [TIMEOUT]: waits until no visible window has this title.
e2e_wait_no_window() {
  local limit=$((${2:-$E2E_TIMEOUT} * 10)) n=0
  while [ -n "$(e2e_find_window "$1")" ]; do
    ((n < limit)) || e2e_fail "window '$1' still shown after ${2:-$E2E_TIMEOUT} s"
    sleep 0.1
    n=$((n + 1))
  done
}

# e2e_wait_until TIMEOUT DESCRIPTION COMMAND [ARGS...]: runs COMMAND until it succeeds, about
# every 0.1 s (every E2E_WAIT_INTERVAL seconds, when set), and fails the case when it has not
# within TIMEOUT whole seconds. DESCRIPTION names the state waited for ("the browser is
# shown"). COMMAND runs in this shell, so a function may leave what it found in variables; it
# may set E2E_WAIT_NOTE to what it saw last, which the failure message then adds.
E2E_WAIT_NOTE=""
e2e_wait_until() {
  local timeout=$1 what=$2 deadline
  shift 2
  E2E_WAIT_NOTE=""
  deadline=$((${EPOCHREALTIME/[.,]/} + timeout * 1000000))
  until "$@"; do
    ((${EPOCHREALTIME/[.,]/} < deadline)) ||
      e2e_fail "not so after $timeout s: $what${E2E_WAIT_NOTE:+ ($E2E_WAIT_NOTE)}"
    sleep "${E2E_WAIT_INTERVAL:-0.1}"
  done
}

# e2e_region_sum X Y WIDTH HEIGHT: a checksum of what the screen shows in that rectangle now.
e2e_region_sum() {
  local sum
  sum=$(xwd -root -silent 2>/dev/null | convert xwd:- -crop "${3}x$4+$1+$2" +repage rgb:- 2>/dev/null |
    md5sum) || return 1
  echo "${sum%% *}"
}

# e2e_region_changed SUM X Y WIDTH HEIGHT: true when the rectangle no longer shows what SUM (from
# e2e_region_sum) was taken of.
e2e_region_changed() {
  local now
  now=$(e2e_region_sum "${@:2}") || return 1
  [ "$now" != "$1" ]
}

# e2e_screen_pixel X Y: prints the colour the screen shows at X, Y now, as "R,G,B" (0-255).
e2e_screen_pixel() {
  xwd -root -silent 2>/dev/null | convert xwd:- -crop "1x1+$1+$2" +repage \
    -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info: 2>/dev/null
}

# e2e_window_settled ID: true when the window's rectangle on screen holds more than one colour
# and shows the same as at the previous call for the same rectangle (e2e_region_settled): it has
# been painted and nothing is changing it any more.
E2E_SETTLED_LAST=""
e2e_window_settled() {
  local geo
  geo=$(e2e_window_geometry "$1") || return 1
  # shellcheck disable=SC2086 # the geometry is four numbers
  e2e_region_settled $geo
}

# e2e_region_settled X Y WIDTH HEIGHT: true when that rectangle of the screen holds more than
# one colour and shows the same as at the previous call for the same rectangle: the part of a
# window that is there has been painted and holds still (for windows with parts that change by
# themselves). Keeps its last look in E2E_SETTLED_LAST.
e2e_region_settled() {
  local look
  look=$(xwd -root -silent 2>/dev/null |
    convert xwd:- -crop "${3}x$4+$1+$2" +repage -format '%k %#' info: 2>/dev/null) || return 1
  E2E_WAIT_NOTE="${look%% *} colours"
  look="$* $look"
  if [ "$look" != "$E2E_SETTLED_LAST" ]; then
    E2E_SETTLED_LAST=$look
    return 1
  fi
  [ "${E2E_WAIT_NOTE%% *}" -gt 1 ]
}

# e2e_wait_painted ID [TIMEOUT]: waits until the window has been painted and its look is
# steady (e2e_window_settled); fails the case when it is not in time.
e2e_wait_painted() {
  E2E_SETTLED_LAST=""
  e2e_wait_until "${2:-$E2E_TIMEOUT}" "window $1 is painted and steady" e2e_window_settled "$1"
}

# e2e_window_geometry ID: prints "X Y WIDTH HEIGHT" on the screen (the frame included).
e2e_window_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
    END { if (w == "") exit 1; print x, y, w, h }'
}

# e2e_focus ID: gives a window the keyboard focus (there is no window manager to ask).
e2e_focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# e2e_keys [ID] KEY...: sends key presses (xdotool names: Return, Escape, alt+s, Tab) to the
# focused window, or first focuses window ID when the first argument is a number.
e2e_keys() {
  if [[ "${1:-}" =~ ^[0-9]+$ ]]; then e2e_focus "$1"; shift; fi
  xdotool key --delay 50 "$@"
}

# e2e_type [ID] TEXT: types text.
e2e_type() {
  if [ $# -ge 2 ] && [[ "$1" =~ ^[0-9]+$ ]]; then e2e_focus "$1"; shift; fi
  xdotool type --delay 30 -- "$1"
}

# e2e_click X Y [BUTTON]: clicks at an absolute screen position (Wine takes the position of a
# synthetic click from the event, so the pointer is moved there first).
# A pointer already at the spot sends no motion event, which a synchronous move would wait for
# in vain; it is then clicked where it is.
e2e_click() {
  local here
  here=$(xdotool getmouselocation 2>/dev/null | sed -n 's/^x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/p')
  if [ "$here" = "$1 $2" ]; then
    xdotool click "${3:-1}"
  else
    xdotool mousemove --sync "$1" "$2" click "${3:-1}"
  fi
}

# e2e_click_in ID X Y: clicks at a position relative to a window's top left corner (frame
# included).
e2e_click_in() {
  local geo
  geo=$(e2e_window_geometry "$1") || e2e_fail "window $1 is gone"
  set -- "$2" "$3" $geo
  e2e_click $(($3 + $1)) $(($4 + $2))
}

# e2e_reg_query KEY VALUE: prints the data of a registry value as plain text (the empty text
# for an empty string); returns 1 when the value is missing. Use "" as VALUE for the default.
e2e_reg_query() {
  local key=$1 name=$2 out
  if [ -z "$name" ]; then
    out=$(wine reg query "$key" /ve </dev/null 2>/dev/null) || return 1
  else
    out=$(wine reg query "$key" /v "$name" </dev/null 2>/dev/null) || return 1
  fi
  # Lines look like "    NAME    REG_SZ    DATA"; the name may hold blanks, the data too.
  local line
  # The name goes in through the environment: awk -v would take its backslashes as escapes.
  line=$(printf '%s\n' "$out" | tr -d '\r' | E2E_REG_NAME="${name:-(Default)}" awk '
    BEGIN { name = ENVIRON["E2E_REG_NAME"] }
    {
      if (match($0, /    REG_[A-Z_]+(    |$)/)) {
        n = substr($0, 1, RSTART - 1); sub(/^ +/, "", n)
        if (tolower(n) != tolower(name)) next
        t = substr($0, RSTART + 4); sub(/ .*/, "", t)
        print t "\t" substr($0, RSTART + RLENGTH); found = 1; exit
      }
    }
    END { exit found ? 0 : 1 }') || return 1
  local type=${line%%$'\t'*} data=${line#*$'\t'}
  if [[ "$type" == REG_DWORD && "$data" =~ ^0x[0-9a-fA-F]+$ ]]; then
    data=$((data))
  fi
  printf '%s\n' "$data"
}

# e2e_reg_set KEY VALUE DATA [TYPE]: writes a registry value (REG_SZ unless TYPE says else).
e2e_reg_set() {
  wine reg add "$1" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f </dev/null >/dev/null 2>&1 ||
    e2e_fail "could not write $1\\$2"
}

# e2e_reg_delete KEY [VALUE]: deletes a value, or the whole key without VALUE. Missing is fine.
e2e_reg_delete() {
  if [ $# -ge 2 ]; then
    wine reg delete "$1" /v "$2" /f </dev/null >/dev/null 2>&1
  else
    wine reg delete "$1" /f </dev/null >/dev/null 2>&1
  fi
  return 0
}

# e2e_screenshot NAME: saves the whole screen as NAME.png in the case's artifacts and sets
# E2E_SHOT to the file's path.
E2E_SHOT=""
e2e_screenshot() {
  local file=$E2E_OUT/$1.png
  if ! xwd -root -silent 2>/dev/null | convert xwd:- "png:$file" 2>/dev/null; then
    import -window root "$file" 2>/dev/null || e2e_fail "screenshot $1 failed"
  fi
  [ -s "$file" ] || e2e_fail "screenshot $1 is empty"
  e2e_log "screenshot $file"
  E2E_SHOT=$file
}

# e2e_pixel FILE X Y: prints the colour of one pixel of a screenshot as "R,G,B" (0-255).
e2e_pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Assertions. Each names what was expected and what was found.
assert_eq() { # EXPECTED ACTUAL WHAT
  [ "$1" == "$2" ] || e2e_fail "${3:-value}: expected '$1', got '$2'"
}
assert_ne() { # UNEXPECTED ACTUAL WHAT
  [ "$1" != "$2" ] || e2e_fail "${3:-value}: did not expect '$2'"
}
assert_contains() { # HAYSTACK NEEDLE WHAT
  [[ "$1" == *"$2"* ]] || e2e_fail "${3:-text}: '$1' does not contain '$2'"
}
assert_file() { # PATH WHAT
  [ -f "$1" ] || e2e_fail "${2:-file}: $1 does not exist"
}
assert_no_file() { # PATH WHAT
  [ ! -e "$1" ] || e2e_fail "${2:-file}: $1 exists"
}
assert_reg() { # KEY VALUE EXPECTED
  local got
  got=$(e2e_reg_query "$1" "$2") || e2e_fail "registry value $1\\$2 is missing (expected '$3')"
  [ "$got" == "$3" ] || e2e_fail "registry value $1\\$2: expected '$3', got '$got'"
}
assert_no_reg() { # KEY VALUE
  local got
  if got=$(e2e_reg_query "$1" "$2"); then
    e2e_fail "registry value $1\\$2 exists ('$got'), expected none"
  fi
}
assert_window() { # TITLE
  [ -n "$(e2e_find_window "$1")" ] || e2e_fail "no window titled '$1' is shown"
}
assert_no_window() { # TITLE
  [ -z "$(e2e_find_window "$1")" ] || e2e_fail "a window titled '$1' is shown"
}
