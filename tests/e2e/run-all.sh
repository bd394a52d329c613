#!/usr/bin/env bash
# Runs every end-to-end case (cases/*.sh, in name order) against a folder of built programs
# and prints a summary. Exit status is non-zero when any case fails.
#
#   tests/e2e/run-all.sh [DIST] [PATTERN]
#
# DIST defaults to dist/x64; PATTERN (a shell pattern on the case's name) picks some cases.
# A case may exit 77 to say it was skipped. Screenshots and logs: build/e2e-artifacts/.
#
# A case that fails fails the run: it is not run again.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
dist=${1:-$repo/dist/x64}
pattern=${2:-*}
case_timeout=${E2E_CASE_TIMEOUT:-300}

export E2E_ARTIFACTS=${E2E_ARTIFACTS:-$repo/build/e2e-artifacts}
mkdir -p "$E2E_ARTIFACTS"
# Base prefixes are made once per run and copied cheaply by each case. A caller that runs
# several suites (tools/run-tests.sh runs both builds at once) may hand in one folder for all;
# it then removes it itself.
if [ -z "${E2E_PREFIX_CACHE:-}" ]; then
  E2E_PREFIX_CACHE=$(mktemp -d "${TMPDIR:-/tmp}/e2e-prefixes.XXXXXX")
  trap 'rm -rf "$E2E_PREFIX_CACHE"' EXIT
fi
export E2E_PREFIX_CACHE
# Each case starts its own X server.
unset DISPLAY

passed=0 failed=0 skipped=0
run_start=$SECONDS
failures=()
shopt -s nullglob
cases=("$here"/cases/*.sh)
if [ ${#cases[@]} -eq 0 ]; then
  echo "e2e: no cases in $here/cases" >&2
  exit 1
fi
run_case() { # SCRIPT: runs one case under the time limit; returns its exit code
  timeout --kill-after=10 "$case_timeout" bash "$1" "$dist"
}

for c in "${cases[@]}"; do
  name=$(basename "$c" .sh)
  # shellcheck disable=SC2254
  case "$name" in $pattern) ;; *) continue ;; esac
  echo "=== $name"
  start=$SECONDS
  run_case "$c"
  rc=$?
  took=$((SECONDS - start))
  case $rc in
    0) passed=$((passed + 1)); echo "--- $name: passed (${took} s)" ;;
    77) skipped=$((skipped + 1)); echo "--- $name: skipped (${took} s)" ;;
    124 | 137) failed=$((failed + 1)); failures+=("$name (timed out after $case_timeout s)")
      echo "--- $name: FAILED, timed out (${took} s)" ;;
    *) failed=$((failed + 1)); failures+=("$name (exit $rc)"); echo "--- $name: FAILED (${took} s)" ;;
  esac
done

echo
echo "End-to-end cases against $dist (artifacts in $E2E_ARTIFACTS):"
for f in "${failures[@]}"; do echo "  FAILED: $f"; done
echo "e2e: $passed passed, $failed failed, $skipped skipped in $((SECONDS - run_start)) s"
if ((passed + failed == 0)); then
  echo "e2e: no case ran" >&2
  exit 1
fi
((failed == 0))
