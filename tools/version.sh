#!/usr/bin/env bash
# Prints the programs' version ("1.25.0") as resources/version.h gives it.
set -euo pipefail
header="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/resources/version.h"
part() { sed -n "s/^#define MURIVALE_VERSION_$1 \([0-9][0-9]*\)\$/\1/p" "$header"; }
major=$(part MAJOR) minor=$(part MINOR) patch=$(part PATCH)
[ -n "$major" ] && [ -n "$minor" ] && [ -n "$patch" ] ||
  { echo "version.sh: no version numbers in $header" >&2; exit 1; }
echo "$major.$minor.$patch"
