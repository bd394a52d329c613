#!/usr/bin/env bash
# Cheap copies of a finished Wine prefix (one made by tools/wine-prefix.sh, its server ended).
#
#   tools/wine-prefix-copy.sh BASE DEST    makes DEST a copy of BASE
#   tools/wine-prefix-copy.sh --check BASE fails, naming them, when a file DEST shares with
#                                          BASE has changed since BASE's first copy
#
# A prefix is about 1.3 GB, nearly all of it the modules, code pages and fonts of its system
# folders, which Wine only reads. Those are hard links to BASE's files in the copy; everything
# else is the copy's own: the registry (*.reg), the .ini and .inf files, the users' folders,
# the temporary folder, the prefix's top level, and every file of another kind. Folders are
# always the copy's own, so files made, removed or renamed in the copy never touch BASE; only a
# program that rewrites one of the shared modules in place would write into BASE, and --check
# (run by the end-to-end cases when they end) tells.
#
# The first copy records which files are shared, with their size and time, beside BASE
# (BASE.shared, BASE.private, BASE.stamp); later copies use the same lists.
set -uo pipefail

usage() { echo "usage: $0 BASE DEST | --check BASE" >&2; exit 2; }

# The files of the system folders that are shared, as find(1) tests (paths relative to BASE).
shared_tests=(
  -type f
  \( -path './drive_c/windows/*' -o -path './drive_c/Program Files/*'
     -o -path './drive_c/Program Files (x86)/*' \)
  ! -path './drive_c/windows/temp/*'
  -iregex '.*\.(dll|exe|drv|sys|vxd|ocx|cpl|acm|ax|ds|tlb|nls|com|mod|msstyles|ttf|ttc|fon|icm|manifest)'
)

# stamp BASE: size, time and inode of each shared file, one a line, in the list's order.
stamp() {
  (cd "$1" && xargs -0 -r stat -c '%i %s %y %n' <"$1.shared")
}

# lists BASE: writes BASE.shared and BASE.private (NUL-separated) and BASE.stamp, once.
lists() {
  local base=$1
  [ -f "$base.stamp" ] && return 0
  (cd "$base" && find . -regextype posix-extended "${shared_tests[@]}" -print0) >"$base.shared.tmp" || return 1
  (cd "$base" && find . -regextype posix-extended -type f ! \( "${shared_tests[@]}" \) -print0) >"$base.private.tmp" || return 1
  mv "$base.shared.tmp" "$base.shared" && mv "$base.private.tmp" "$base.private" || return 1
  stamp "$base" >"$base.stamp.tmp" && mv "$base.stamp.tmp" "$base.stamp"
}

if [ "${1:-}" = --check ]; then
  [ $# -eq 2 ] || usage
  base=$(cd "$2" && pwd) || exit 1
  [ -f "$base.stamp" ] || exit 0 # never copied: nothing shared
  # Lines are "INODE SIZE DATE TIME ZONE NAME".
  changed=$(diff <(stamp "$base" 2>&1) "$base.stamp" | sed -n 's/^[<>] \([^ ]* \)\{5\}/  /p' | sort -u)
  [ -z "$changed" ] && exit 0
  echo "wine-prefix-copy: files shared with the base prefix $base were changed through a copy:" >&2
  echo "$changed" >&2
  exit 1
fi

[ $# -eq 2 ] || usage
[ -d "$1/drive_c" ] || { echo "$0: $1 is not a Wine prefix" >&2; exit 1; }
base=$(cd "$1" && pwd)
dest=${2%/}
if [ -e "$dest" ] && [ -n "$(ls -A "$dest" 2>/dev/null)" ]; then
  echo "$0: $dest exists and is not empty" >&2
  exit 2
fi
rmdir "$dest" 2>/dev/null
mkdir -p "$(dirname "$dest")" && dest=$(cd "$(dirname "$dest")" && pwd)/$(basename "$dest") || exit 1
(
  # Two copies made at once must not both write the lists.
  flock 9
  lists "$base"
) 9>"$base.copy-lock" || { echo "$0: cannot list the files of $base" >&2; exit 1; }

# All of it as links first (folders and symbolic links are made anew), then the files that are
# not shared replaced by real copies.
cp -al "$base" "$dest" || exit 1
(cd "$base" && xargs -0 -r cp -a --remove-destination --parents -t "$dest" <"$base.private") || {
  echo "$0: cannot copy the private files of $base" >&2
  exit 1
}
