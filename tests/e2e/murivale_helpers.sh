# Helpers shared by Murivale's end-to-end cases (10 to 15). Sourced after lib.sh and e2e_init.

export MURIVALE_DISPLAY_FIRST=${MURIVALE_DISPLAY_FIRST:-100}
export USER=mvtester   # the login name Wine reports, and so the bitmap's name

# The program runs from a folder of its own, since it writes its bitmaps there: `program` is
# that folder, `exe` the program in it and `bitmap` the converted wallpaper it makes.
program=$E2E_WORK/program
mkdir -p "$program"
assert_file "$E2E_DIST/Murivale.exe" "Murivale program"
cp "$E2E_DIST/Murivale.exe" "$program/"
exe=$program/Murivale.exe
bitmap=$program/${USER}_Wallpaper.bmp

# reg_sz TEXT: TEXT as a quoted string value of a registry import file.
reg_sz() { local v=${1//\\/\\\\}; printf '"%s"' "${v//\"/\\\"}"; }

# reg_import: imports the registry lines on standard input (REGEDIT4 format, no header).
reg_import() {
  local file
  file=$(mktemp "$E2E_WORK/import.XXXXXX")
  { echo REGEDIT4; echo; cat; } >"$file"
  wine regedit /S "$(e2e_win_path "$file")" </dev/null >/dev/null 2>&1 ||
    e2e_fail "registry import failed: $(cat "$file")"
}

# find_fake_desktop: the path of the stand-in desktop program, building it when no build has it.
find_fake_desktop() {
  local candidate
  for candidate in "${FAKE_DESKTOP:-}" "$E2E_DIST/FakeDesktop.exe" \
                   $(ls -t "$E2E_REPO"/build/*/tests/e2e/fake_desktop/FakeDesktop.exe 2>/dev/null); do
    [ -n "$candidate" ] && [ -f "$candidate" ] && { echo "$candidate"; return 0; }
  done
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || return 1
  x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -static -municode \
    -o "$E2E_WORK/FakeDesktop.exe" "$E2E_LIB_DIR/fake_desktop/FakeDesktop.cpp" >&2 || return 1
  echo "$E2E_WORK/FakeDesktop.exe"
}

# probe: the window order, foreground window and control texts, as the stand-in desktop reads them.
probe() { timeout 20 wine "$fake_desktop" --probe </dev/null 2>/dev/null | tr -d '\r'; }
