#!/usr/bin/env bash
# Runs every test layer, from a fresh Debian machine if need be:
#   1. installs what is needed (tools/install-deps.sh);
#   2. configures and builds the presets native, native-asan, windows-x64 and windows-x86;
#   3. holds the four shipped programs to their oldest Windows (tools/check-imports.py; the
#      32-bit build's libraries and objects to the 98 dispatch rule too), builds the release
#      installer into dist/ and the Windows 98 test shim (tests/win98);
#   4. native unit tests, the same under AddressSanitizer/UBSan, and the Win32 backend tests
#      in Wine for both Windows builds (the 32-bit one through WoW64; its file tests once more
#      with the 98 test shim attached, CTest wine98.FilesWine);
#   5. the end-to-end cases (tests/e2e) against dist/x64 and against dist/x86, both with the
#      windows-x64 build's probe (tests/e2e/probe).
# The Windows builds come first; then three branches run side by side: the native builds and
# their tests (at a lower priority); the x64 build's Wine tests and end-to-end cases; the same
# for the x86 build. Each Windows build has its own X
# display and its own test prefix with one Wine session for all its suites, and both builds'
# end-to-end cases share one set of base prefixes. A branch's steps write to their logs only;
# the logs are printed when all branches have ended.
# A failing step does not stop the others that do not depend on it; the exit status is
# non-zero when any step failed. Logs: build/test-logs/.
#
# BUILD_ROOT=DIR builds each preset in DIR/PRESET instead of the preset's own folder (to try
# the script beside another build); the programs still go to dist/. The Wine tests' prefixes
# are kept in BUILD_ROOT (default build/) under wine-prefixes/, made on the first run.
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo" || exit 1
logs=$repo/build/test-logs
mkdir -p "$logs"
jobs=${JOBS:-2}

run_start=$SECONDS
results=()
failed=0
passed=0
declare -A ok

# account NAME RC SECONDS [WHY]: counts a step's result for the summary (WHY: not run).
account() {
  local name=$1 rc=$2 took=$3 why=${4:-}
  if [ -n "$why" ]; then
    results+=("  FAILED  $name (not run: $why)")
    failed=$((failed + 1))
  elif ((rc == 0)); then
    results+=("  passed  $name ($took s)")
    passed=$((passed + 1))
    ok[$name]=1
  else
    results+=("  FAILED  $name (exit $rc, $took s, log build/test-logs/$name.log)")
    failed=$((failed + 1))
  fi
}

# Inside a branch (see branch below), BRANCH_RESULTS names the file the results go to.
BRANCH_RESULTS=""

# step NAME COMMAND...: runs one step, its output to the terminal and to a log (in a branch:
# to the log only).
step() {
  local name=$1 start=$SECONDS rc
  shift
  if [ -n "$BRANCH_RESULTS" ]; then
    echo "----- $name: started"
    "$@" </dev/null >"$logs/$name.log" 2>&1
    rc=$?
    printf '%s\t%s\t%s\t\n' "$name" "$rc" "$((SECONDS - start))" >>"$BRANCH_RESULTS"
    echo "----- $name: $( ((rc == 0)) && echo passed || echo "FAILED (exit $rc)") in $((SECONDS - start)) s"
  else
    echo
    echo "===== $name: $*"
    "$@" 2>&1 | tee "$logs/$name.log"
    rc=${PIPESTATUS[0]}
  fi
  account "$name" "$rc" "$((SECONDS - start))"
  return "$rc"
}
# skip NAME WHY: records a step that could not run because an earlier one failed.
skip() {
  if [ -n "$BRANCH_RESULTS" ]; then printf '%s\t1\t0\t%s\n' "$1" "$2" >>"$BRANCH_RESULTS"; fi
  account "$1" 1 0 "$2"
}

# branch NAME FUNCTION: runs FUNCTION in the background; its steps' results go to a file that
# join_branches reads. A branch that dies before its end (its marker .done is then missing)
# fails the run even when the steps it got to passed.
branch_names=()
branch_pids=()
branch() {
  local name=$1 fn=$2
  : >"$logs/.branch-$name"
  rm -f "$logs/.branch-$name.done"
  (BRANCH_RESULTS=$logs/.branch-$name; "$fn"; touch "$BRANCH_RESULTS.done") &
  branch_names+=("$name")
  branch_pids+=($!)
  echo "===== branch $name started"
}
# join_branches: waits for every branch, then prints each step's command log in the order
# of the branches and counts its result.
join_branches() {
  local i name step step_rc took why
  for i in "${!branch_names[@]}"; do
    name=${branch_names[$i]}
    wait "${branch_pids[$i]}"
    while IFS=$'\t' read -r step step_rc took why; do
      [ -n "$step" ] || continue
      echo
      echo "===== $step (branch $name)"
      [ -n "$why" ] || cat "$logs/$step.log"
      account "$step" "$step_rc" "$took" "$why"
    done <"$logs/.branch-$name"
    if [ ! -f "$logs/.branch-$name.done" ]; then
      account "branch-$name" 1 0 "the branch ended before its last step"
    fi
    rm -f "$logs/.branch-$name" "$logs/.branch-$name.done"
  done
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

# configure_build PRESET: configures and builds one preset.
configure_build() {
  if step "configure-$1" configure "$1"; then
    step "build-$1" build "$1"
  else
    skip "build-$1" "configure failed"
  fi
}
# The Windows builds first: their tests take longest. The native builds are made in their
# branch, beside those tests.
for preset in windows-x64 windows-x86; do configure_build "$preset"; done

ctest_flags=(--no-tests=error --timeout 600)
windows_built=""
if [ -n "${ok[build-windows-x64]:-}" ] && [ -n "${ok[build-windows-x86]:-}" ]; then windows_built=1; fi
# program_sizes EXE...: each shipped program is at most 400 KB (409,600 bytes), the size the
# programs have always kept to.
program_sizes() {
  local exe size rc=0
  for exe in "$@"; do
    size=$(stat -c %s "$exe") || return 1
    if ((size > 409600)); then
      echo "$exe: $size bytes, more than 400 KB"
      rc=1
    else
      echo "$exe: $size bytes"
    fi
  done
  return "$rc"
}

if [ -n "$windows_built" ]; then
  step imports python3 "$repo/tools/check-imports.py" \
    "$repo"/dist/x64/Murivale.exe "$repo"/dist/x64/Tessaban.exe \
    "$repo"/dist/x86/Murivale.exe "$repo"/dist/x86/Tessaban.exe
  step sizes program_sizes "$repo"/dist/x64/*.exe "$repo"/dist/x86/*.exe
  step installer "$repo/tools/make-installer.sh"
else
  skip imports "a Windows build failed"
  skip sizes "a Windows build failed"
  skip installer "a Windows build failed"
fi
# The 32-bit build also runs on Windows 98 SE and Me, where nearly every W function is only a
# stub: its libraries and the programs' own objects may call those through the dispatch layer
# alone (tools/check-imports.py --objects names any other object that does). Not the tests' own
# code, nor GoogleTest (lib/).
x86_objects() {
  local dir=${BUILD_ROOT:-$repo/build}/windows-x86
  find "$dir" \( -path "$dir/_deps" -o -path "$dir/tests" -o -path "$dir/lib" \) -prune -o \
    \( -name '*.a' -o -path '*/CMakeFiles/Murivale.dir/*.obj' -o -path '*/CMakeFiles/Tessaban.dir/*.obj' \) \
    -type f -print | sort
}
if [ -n "${ok[build-windows-x86]:-}" ]; then
  mapfile -t objects < <(x86_objects)
  step imports-98-objects python3 "$repo/tools/check-imports.py" --objects "${objects[@]}"
else
  skip imports-98-objects "the x86 build failed"
fi
# The Windows 98 test shim (tests/win98), which the x86 end-to-end cases attach to the programs.
step win98-shim bash "$repo/tests/win98/build.sh"

native_tests() {
  local preset
  # Behind the Wine branches, whose waits have time limits.
  renice -n 10 -p "$BASHPID" >/dev/null 2>&1
  for preset in native native-asan; do configure_build "$preset"; done
  for preset in native native-asan; do
    if [ -n "${ok[build-$preset]:-}" ]; then
      step "test-$preset" run_ctest "$preset" -j "$jobs" "${ctest_flags[@]}"
    else
      skip "test-$preset" "build failed"
    fi
  done
}

# One build's Wine tests and end-to-end cases, on an X display of their own. The test prefix
# keeps one Wine session for all suites; the session is ended before the display goes away
# (Wine's processes belong to the display they started on). os_versions.sh and the
# end-to-end cases make prefixes of their own.
# shellcheck source=tools/xvfb.sh
. "$repo/tools/xvfb.sh"
windows_tests() { # ARCH
  local arch=$1 prefix
  prefix=${BUILD_ROOT:-$repo/build}/wine-prefixes/windows-$arch
  if [ -z "${ok[build-windows-$arch]:-}" ]; then
    skip "test-windows-$arch" "build failed"
    skip "os-versions-$arch" "build failed"
  else
    mkdir -p "$(dirname "$prefix")"
    (
      export WINEPREFIX=$prefix
      unset DISPLAY
      end() { "$repo/tools/wine-run.sh" --end-session; xvfb_stop; }
      trap end EXIT
      xvfb_start 1024x768 || echo "run-tests: no display for the Wine tests"
      session() { "$repo/tools/wine-run.sh" --session; }
      if step "wine-session-$arch" session; then
        step "test-windows-$arch" run_ctest "windows-$arch" -j 1 "${ctest_flags[@]}"
      else
        skip "test-windows-$arch" "no Wine session"
      fi
      # The system classification as each emulated Windows version reports itself.
      step "os-versions-$arch" "$repo/tests/e2e/os_versions.sh" \
        "${BUILD_ROOT:-$repo/build}/windows-$arch/tests/wine_tests.exe"
    )
  fi
  if [ "$arch" = x86 ]; then
    # The shim's own checks, with and without it, in a prefix of its own (kept between runs).
    if [ -n "${ok[win98-shim]:-}" ]; then
      SHIM98_SCRATCH=${BUILD_ROOT:-$repo/build}/win98-selftest DISPLAY="" \
        step win98-selftest bash "$repo/tests/win98/selftest.sh"
    else
      skip win98-selftest "the shim did not build"
    fi
  fi
  if [ -n "$windows_built" ]; then
    E2E_PROBE=${BUILD_ROOT:-$repo/build}/windows-x64/tests/e2e/probe/E2eProbe.exe \
      E2E_ARTIFACTS=$repo/build/e2e-artifacts/$arch step "e2e-$arch" "$repo/tests/e2e/run-all.sh" "$repo/dist/$arch"
  else
    skip "e2e-$arch" "a Windows build failed"
  fi
}
windows_x64() { windows_tests x64; }
windows_x86() { windows_tests x86; }

# The base prefixes of the end-to-end cases, made once for both builds.
E2E_PREFIX_CACHE=$(mktemp -d "${TMPDIR:-/tmp}/e2e-prefixes.XXXXXX")
export E2E_PREFIX_CACHE
trap 'rm -rf "$E2E_PREFIX_CACHE"' EXIT
branch native native_tests
branch windows-x64 windows_x64
branch windows-x86 windows_x86
join_branches

echo
echo "===== Summary"
printf '%s\n' "${results[@]}"
echo "Unit and Wine test counts are in the ctest lines above; end-to-end counts in the e2e step."
echo "steps: $passed passed, $failed failed in $((SECONDS - run_start)) s"
((failed == 0))
