#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest (the cross-compiling emulator of the Windows
# presets) or by hand:  tools/wine-run.sh PROGRAM.exe [ARGS...]
#
#   tools/wine-run.sh --session       makes the prefix if need be and keeps one Wine session
#                                     alive for the runs that follow (a persistent wineserver
#                                     with Wine's own processes), instead of one per run
#   tools/wine-run.sh --end-session   ends it (and whatever still runs in the prefix)
# A session needs $DISPLAY: Wine's desktop belongs to the display it started on, and a private
# display would end with the first run.
#
# - Prefix: $WINEPREFIX if set, else a cached test prefix made once per user
#   (${XDG_CACHE_HOME:-~/.cache}/murivale/wine-test-prefix). Making it is serialised with a lock,
#   so parallel test runs do not race.
# - Display: $DISPLAY if set, else a private Xvfb that lives as long as this script.
# - The program's output is collected in a file and printed when it ends: Wine's helper
#   processes linger for a few seconds after the program and would otherwise keep CTest's
#   pipes open.
# - The exit code is the program's (wine's).
set -uo pipefail

[ $# -ge 1 ] || { echo "usage: $0 PROGRAM.exe [ARGS...] | --session | --end-session" >&2; exit 2; }
session=""
case "$1" in
  --session | --end-session) session=$1 ;;
esac

export WINEDEBUG=${MURIVALE_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
own_prefix=0
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=${XDG_CACHE_HOME:-$HOME/.cache}/murivale/wine-test-prefix
  own_prefix=1
fi
export WINEPREFIX
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
command -v wine >/dev/null || { echo "wine-run: wine is not installed (tools/install-deps.sh)" >&2; exit 127; }
if [ "$session" = --end-session ]; then
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  exit 0
fi
if [ "$session" = --session ] && [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: a session needs a display (\$DISPLAY is not set)" >&2
  exit 2
fi

out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
own_display=0
cleanup() {
  if ((own_display)); then
    # Our X server goes away with us: let the prefix's processes end first.
    wineserver -w >/dev/null 2>&1 || true
    xvfb_stop
  fi
  rm -f "$out"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -p "$(dirname "$WINEPREFIX")"
if [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=tools/xvfb.sh
  . "$here/xvfb.sh"
  # One private display per prefix at a time: Wine's desktop process belongs to the display
  # of whoever started it, so runs on the same prefix without a common display take turns.
  exec 8>"$WINEPREFIX.run.lock"
  flock 8
  xvfb_start 1024x768 || exit 1
  own_display=1
fi

# Make the prefix once. A marker written last tells a finished prefix from a half-made one.
# A prefix named by the caller is used as it is once Wine has made it; only our own cached
# prefix is ever removed and made again.
exec 9>"$WINEPREFIX.lock"
flock 9
# The prefix must run the 32-bit build too: one made before 32-bit Wine was installed has no
# 32-bit system folder and is made again.
ready=$WINEPREFIX/.murivale-ready
wow64=$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll
if ((own_prefix)) && [ -f "$ready" ] && [ ! -f "$wow64" ]; then rm -f "$ready"; fi
if [ ! -f "$ready" ] && { ((own_prefix)) || [ ! -f "$WINEPREFIX/system.reg" ]; }; then
  echo "wine-run: making the Wine prefix $WINEPREFIX" >&2
  if ((own_prefix)); then rm -rf "$WINEPREFIX"; fi
  mkdir -p "$WINEPREFIX"
  if ! { wineboot -i && wineserver -w; } </dev/null >"$out" 2>&1; then
    cat "$out" >&2
    echo "wine-run: wineboot failed for $WINEPREFIX" >&2
    exit 1
  fi
  if [ ! -f "$wow64" ]; then
    echo "wine-run: $WINEPREFIX cannot run 32-bit programs (is wine32:i386 installed? tools/install-deps.sh)" >&2
    exit 1
  fi
  touch "$ready"
fi
# A crashing test must fail, not wait for someone to close Wine's crash dialog: without the
# dialog the debugger prints a backtrace to the output and the process ends.
if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
fi
flock -u 9

if [ "$session" = --session ]; then
  # A server left from an earlier session may belong to a display that is gone.
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  # Detached from our output, so that the session does not hold the caller's pipes open;
  # one program started and ended brings up Wine's own processes, which then stay.
  wineserver -p </dev/null >/dev/null 2>&1 || { echo "wine-run: cannot start wineserver" >&2; exit 1; }
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1
  exit 0
fi

wine "$@" >"$out" 2>&1
rc=$?
cat "$out"
exit "$rc"
