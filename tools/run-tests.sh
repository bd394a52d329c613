#!/usr/bin/env bash
# Runs every test layer, from a fresh Debian machine if need be:
#   1. installs what is needed (tools/install-deps.sh);
#   2. configures and builds the presets native, native-asan, windows-x64 and windows-x86;
#   3. holds the four shipped programs to their oldest Windows (tools/check-imports.py) and
#      builds the release installer into dist/;
#   4. native unit tests, the same under AddressSanitizer/UBSan, and the Win32 backend tests
#      in Wine for both Windows builds (the 32-bit one through WoW64);
#   5. the end-to-end cases (tests/e2e) against dist/x64 and against dist/x86.
# A failing step does not stop the others that do not depend on it; the exit status is
# non-zero when any step failed. Logs: build/test-logs/.
#
# BUILD_ROOT=DIR builds each preset in DIR/PRESET instead of the preset's own folder (to try
# the script beside another build); the programs still go to dist/.
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo" || exit 1
logs=$repo/build/test-logs
mkdir -p "$logs"
jobs=${JOBS:-2}

results=()
failed=0
passed=0
declare -A ok

# step NAME COMMAND...: runs one step, its output to the terminal and to a log.
step() {
  local name=$1 start=$SECONDS rc
  shift
  echo
  echo "===== $name: $*"
  "$@" 2>&1 | tee "$logs/$name.log"
  rc=${PIPESTATUS[0]}
  if ((rc == 0)); then
    results+=("  passed  $name ($((SECONDS - start)) s)")
    passed=$((passed + 1))
    ok[$name]=1
  else
    results+=("  FAILED  $name (exit $rc, $((SECONDS - start)) s, log build/test-logs/$name.log)")
    failed=$((failed + 1))
  fi
  return "$rc"
}
# skip NAME WHY: records a step that could not run because an earlier one failed.
skip() {
  results+=("  FAILED  $1 (not run: $2)")
  failed=$((failed + 1))
}

step deps "$repo/tools/install-deps.sh"

# The preset's folders, or DIR/PRESET under BUILD_ROOT.
configure() { cmake --preset "$1" ${BUILD_ROOT:+-B "$BUILD_ROOT/$1"}; }
build() {
  if [ -n "${BUILD_ROOT:-}" ]; then cmake --build "$BUILD_ROOT/$1" -j "$jobs"
  else cmake --build --preset "$1" -j "$jobs"; fi
}
run_ctest() { # PRESET CTEST-ARGS...
  local preset=$1
  shift
  if [ -n "${BUILD_ROOT:-}" ]; then
    ctest --test-dir "$BUILD_ROOT/$preset" --output-on-failure "$@"
  else
    ctest --preset "$preset" "$@"
  fi
}

for preset in native native-asan windows-x64 windows-x86; do
  if step "configure-$preset" configure "$preset"; then
    step "build-$preset" build "$preset"
  else
    skip "build-$preset" "configure failed"
  fi
done

ctest_flags=(--no-tests=error --timeout 600)
windows_built=""
if [ -n "${ok[build-windows-x64]:-}" ] && [ -n "${ok[build-windows-x86]:-}" ]; then windows_built=1; fi
if [ -n "$windows_built" ]; then
  step imports python3 "$repo/tools/check-imports.py" \
    "$repo"/dist/x64/Murivale.exe "$repo"/dist/x64/Tessaban.exe \
    "$repo"/dist/x86/Murivale.exe "$repo"/dist/x86/Tessaban.exe
  step installer "$repo/tools/make-installer.sh"
else
  skip imports "a Windows build failed"
  skip installer "a Windows build failed"
fi

for preset in native native-asan; do
  if [ -n "${ok[build-$preset]:-}" ]; then
    step "test-$preset" run_ctest "$preset" -j "$jobs" "${ctest_flags[@]}"
  else
    skip "test-$preset" "build failed"
  fi
done

# The Wine tests need an X display; one private Xvfb serves both builds. Wine's processes
# belong to the display they started on, so the test prefix's are ended before it goes away
# (a later run on a new display would otherwise find a desktop that can no longer make windows).
# shellcheck source=tools/xvfb.sh
. "$repo/tools/xvfb.sh"
test_prefix=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/murivale/wine-test-prefix}
end_test_prefix() { WINEPREFIX=$test_prefix wineserver -k >/dev/null 2>&1 || true; }
stop_display() { end_test_prefix; xvfb_stop; }
trap stop_display EXIT
if [ -z "${DISPLAY:-}" ]; then
  end_test_prefix
  xvfb_start 1024x768 || echo "run-tests: no display for the Wine tests"
fi
for arch in x64 x86; do
  if [ -n "${ok[build-windows-$arch]:-}" ]; then
    step "test-windows-$arch" run_ctest "windows-$arch" -j 1 "${ctest_flags[@]}"
    # The system classification as each emulated Windows version reports itself.
    step "os-versions-$arch" "$repo/tests/e2e/os_versions.sh" \
      "${BUILD_ROOT:-$repo/build}/windows-$arch/tests/wine_tests.exe"
  else
    skip "test-windows-$arch" "build failed"
  fi
done
stop_display

if [ -n "$windows_built" ]; then
  for arch in x64 x86; do
    E2E_ARTIFACTS=$repo/build/e2e-artifacts/$arch step "e2e-$arch" "$repo/tests/e2e/run-all.sh" "$repo/dist/$arch"
  done
else
  skip e2e "a Windows build failed"
fi

echo
echo "===== Summary"
printf '%s\n' "${results[@]}"
echo "Unit and Wine test counts are in the ctest lines above; end-to-end counts in the e2e step."
echo "steps: $passed passed, $failed failed"
((failed == 0))
