#!/usr/bin/env bash
# tools/wine-prefix-copy.sh on a small stand-in prefix (no Wine needed): which files a copy
# shares with its base, that writing the copy's own files leaves the base alone, and that
# --check tells when a shared file was written through a copy.
set -uo pipefail
tool=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)/wine-prefix-copy.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/prefix-copy-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
links() { stat -c %h "$1"; }

base=$work/base
mkdir -p "$base/drive_c/windows/system32" "$base/drive_c/windows/temp" \
  "$base/drive_c/Program Files/Common Files" "$base/drive_c/users/tester/Desktop" "$base/dosdevices"
echo module >"$base/drive_c/windows/system32/kernel32.dll"
echo codepage >"$base/drive_c/windows/system32/l_intl.nls"
echo program >"$base/drive_c/Program Files/Common Files/tool.exe"
echo '[windows]' >"$base/drive_c/windows/win.ini"
echo hosts >"$base/drive_c/windows/system32/hosts"
echo left >"$base/drive_c/windows/temp/old.exe"
echo mine >"$base/drive_c/users/tester/Desktop/note.exe"
echo 'WINE REGISTRY' >"$base/user.reg"
echo stamp >"$base/.update-timestamp"
ln -s ../drive_c "$base/dosdevices/c:"

"$tool" "$base" "$work/a" || fail "the first copy failed"
"$tool" "$base" "$work/b" || fail "the second copy failed"
"$tool" "$base" "$work/a" 2>/dev/null && fail "a copy over a folder that is not empty succeeded"

# Shared: the system folders' modules and code pages.
for f in drive_c/windows/system32/kernel32.dll drive_c/windows/system32/l_intl.nls \
  "drive_c/Program Files/Common Files/tool.exe"; do
  [ "$(links "$work/b/$f")" -eq 3 ] || fail "$f is not shared by both copies (links: $(links "$work/b/$f"))"
done
# The copy's own: the registry, settings, the users' folders, the temporary folder, the top level.
for f in user.reg .update-timestamp drive_c/windows/win.ini drive_c/windows/system32/hosts \
  drive_c/windows/temp/old.exe drive_c/users/tester/Desktop/note.exe; do
  [ "$(links "$work/b/$f")" -eq 1 ] || fail "$f is shared (links: $(links "$work/b/$f"))"
  cmp -s "$base/$f" "$work/b/$f" || fail "$f differs from the base's"
done
[ "$(readlink "$work/b/dosdevices/c:")" = ../drive_c ] || fail "the drive's symbolic link was not kept"

# What a program does to its own files stays in its copy.
echo changed >"$work/a/user.reg"
echo '[changed]' >"$work/a/drive_c/windows/win.ini"
rm "$work/a/drive_c/windows/system32/kernel32.dll"
echo new >"$work/a/drive_c/windows/system32/kernel32.dll"
grep -q 'WINE REGISTRY' "$base/user.reg" || fail "writing the copy's registry changed the base's"
grep -q '^\[windows\]' "$base/drive_c/windows/win.ini" || fail "writing the copy's win.ini changed the base's"
grep -q module "$base/drive_c/windows/system32/kernel32.dll" || fail "replacing a module in a copy changed the base's"
"$tool" --check "$base" || fail "--check reports a change where there is none"

# Writing a shared module in place reaches the base: --check must say so, and name it.
echo appended >>"$work/b/drive_c/windows/system32/l_intl.nls"
if out=$("$tool" --check "$base" 2>&1); then
  fail "--check passed after a shared file was written through a copy"
else
  [[ "$out" == *l_intl.nls* ]] || fail "--check does not name the changed file: $out"
fi

((failures == 0)) && echo "wine-prefix-copy: all checks passed"
((failures == 0))
