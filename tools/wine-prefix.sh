#!/usr/bin/env bash
# Creates a throw-away Wine prefix.
#
#   tools/wine-prefix.sh [--from BASE] DIR VERSION [DPI]
#
# VERSION is one of win98, winme, win2k, winxp, win2003, win7, win10: what the prefix's programs see
# as the Windows version. DPI (for example 120 or 144) sets the screen resolution programs are
# told about; without it they get Wine's default of 96. DIR must not exist yet or be empty.
# WINEARCH=win32 in the environment makes a 32-bit-only prefix (a 32-bit Windows, as Windows
# 2000 and most XP machines are); otherwise the prefix is 64-bit and runs 32-bit programs too.
# --from BASE starts from a cheap copy of the finished prefix BASE (tools/wine-prefix-copy.sh)
# instead of booting a new one: a second or two instead of half a minute. BASE must be of the
# same architecture; its version is replaced by VERSION, and its DPI by DPI when given.
# The prefix is ready to copy (cp -a, tools/wine-prefix-copy.sh) when the script returns: its
# wineserver has ended.
set -euo pipefail

usage() { echo "usage: $0 [--from BASE] DIR VERSION [DPI]" >&2; exit 2; }
from=""
if [ "${1:-}" = --from ]; then
  [ $# -ge 2 ] || usage
  from=$2
  shift 2
  [ -f "$from/system.reg" ] || { echo "$0: $from is not a finished Wine prefix" >&2; exit 2; }
fi
[ $# -ge 2 ] && [ $# -le 3 ] || usage
dir=$1
version=$2
dpi=${3:-}

case "$version" in
  win98 | winme | win2k | winxp | win2003 | win7 | win10) ;;
  *) echo "$0: unknown Windows version '$version'" >&2; usage ;;
esac
if [ -n "$dpi" ] && ! [[ "$dpi" =~ ^[0-9]+$ && "$dpi" -ge 48 && "$dpi" -le 480 ]]; then
  echo "$0: DPI must be a number from 48 to 480, got '$dpi'" >&2
  exit 2
fi
if [ -e "$dir" ] && [ -n "$(ls -A "$dir" 2>/dev/null)" ]; then
  echo "$0: $dir exists and is not empty" >&2
  exit 2
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ -n "$from" ]; then
  "$here/wine-prefix-copy.sh" "$from" "$dir"
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
export WINEPREFIX=$dir
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
case "${WINEARCH:-}" in
  win32) ;;
  "" | win64) unset WINEARCH ;;
  *) echo "$0: WINEARCH must be win32 or win64, got '$WINEARCH'" >&2; exit 2 ;;
esac

own_display=0
if [ -z "${DISPLAY:-}" ]; then
  # wineboot may put up a progress window; give it a screen of its own.
  # shellcheck source=tools/xvfb.sh
  . "$here/xvfb.sh"
  xvfb_start 1024x768
  own_display=1
fi
finish() {
  wineserver -k >/dev/null 2>&1 || true
  if ((own_display)); then xvfb_stop; fi
}
trap finish EXIT

# The server is started here, detached from our output, so that nothing that outlives the
# script holds the caller's pipes open.
wineserver -p5 </dev/null >/dev/null 2>&1 || true
[ -n "$from" ] || wineboot -i </dev/null >/dev/null 2>&1

reg() { wine reg "$@" </dev/null >/dev/null 2>&1; }
reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$version" /f
# A crash ends the program with a backtrace on its output instead of a dialog that waits.
reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
if [ -n "$dpi" ]; then
  reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
  reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f
fi
# Let the registry reach the disk before the prefix is used or copied.
wineserver -w
trap - EXIT
if ((own_display)); then xvfb_stop; fi
echo "$dir: Wine prefix ($version${dpi:+, $dpi dpi}${WINEARCH:+, $WINEARCH})"
