#!/usr/bin/env bash
# Many logon runs of Murivale under watch of the X screen: none may show a window, even for a
# moment. The end-to-end case 16_logon_unseen with a high count of runs.
#
#   tools/soak-logon.sh [DIST] [RUNS]     (defaults: dist/x64, 120)
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dist=${1:-$repo/dist/x64}
runs=${2:-120}
[[ "$runs" =~ ^[0-9]+$ ]] && ((runs >= 1)) || { echo "$0: RUNS must be a positive number" >&2; exit 2; }
E2E_LOGON_RUNS=$runs E2E_TIMEOUT=${E2E_TIMEOUT:-60} exec bash "$repo/tests/e2e/cases/16_logon_unseen.sh" "$dist"
