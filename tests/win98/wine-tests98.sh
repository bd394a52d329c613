#!/usr/bin/env bash
# Runs tests of the 32-bit Wine test program as Windows 98 SE would: with the shim attached to a
# copy of it (attach.py), through tools/wine-run.sh (so in its prefix and display, or the running
# session). Passes when the tests pass and neither the program nor the processes it starts from
# itself called, as the shim logs them, a stub or a refused form of the file functions (the
# test program itself imports much that 98 lacks, which is let through: SHIM98_NO_EXIT).
#
#   tests/win98/wine-tests98.sh build/windows-x86/tests/wine_tests.exe --gtest_filter='FilesWine.*'
#
# The shim is built when it is missing or older than its sources.
set -uo pipefail

[ $# -ge 1 ] && [ -f "$1" ] || { echo "usage: $0 WINE_TESTS.EXE [GTEST ARGS...]" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
exe=$1
shift

dll=$here/shim98.dll
for src in shim98.c table.tsv gen_table.py; do
  if [ ! -f "$dll" ] || [ "$here/$src" -nt "$dll" ]; then
    (flock 9; bash "$here/build.sh" >&2) 9>"$here/.build.lock" || { echo "wine-tests98: the shim did not build" >&2; exit 2; }
    break
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-tests98.XXXXXX")
trap '[ -n "${WINE_TESTS98_KEEP:-}" ] || rm -rf "$work"' EXIT
python3 "$here/attach.py" --dll "$dll" "$exe" "$work/wine_tests98.exe" >/dev/null || exit 2

export SHIM98_NO_EXIT=1
SHIM98_LOG=$(winepath -w "$work/shim98.log" 2>/dev/null) || { echo "wine-tests98: winepath failed" >&2; exit 2; }
export SHIM98_LOG
"$repo/tools/wine-run.sh" "$work/wine_tests98.exe" "$@"
rc=$?

logs=("$work"/shim98.log*)
if [ ! -s "$work/shim98.log" ]; then
  echo "wine-tests98: the shim wrote no log: it did not load" >&2
  exit 2
fi
# A stub of a file function, or a form 98 refuses (the "\\?\" form, FILE_SHARE_DELETE).
bad='^STUB\t[a-z0-9]+\.dll!(CreateFile|DeleteFile|MoveFile|GetFileAttributes|GetFullPathName|FindFirstFile|FindNextFile|FormatMessage|GetProcessTimes|SetFileAttributes|CopyFile|CreateDirectory|RemoveDirectory)|^EMUL\t[^\t]*\t[^\t]*\t.*(\\\\\?\\|FILE_SHARE_DELETE)|^(REFUSED|PROC-STUB)\t'
if grep -PH "$bad" "${logs[@]}" >&2; then
  echo "wine-tests98: the lines above are calls that fail on 98 (logs: ${logs[*]##*/})" >&2
  ((rc == 0)) && rc=1
fi
exit "$rc"
