#!/bin/sh
# Runs the live version-classification test once per Windows version Wine can pretend to be:
# each version gets its own throw-away prefix (a cheap copy of one freshly made base prefix,
# tools/wine-prefix-copy.sh), the version is set in the prefix's registry, and the test checks
# what GetOSType answers there.
#
# Usage: tests/e2e/os_versions.sh path/to/wine_tests.exe [version ...]
# Default versions: win98 win2k winxp win2003 win7. Needs wine (64-bit) on the PATH.
set -eu

if [ $# -lt 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 path/to/wine_tests.exe [version ...]" >&2
    exit 2
fi
test_exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
shift
versions=${*:-win98 win2k winxp win2003 win7}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

work=$(mktemp -d "${TMPDIR:-/tmp}/os-versions.XXXXXX")
cleanup() {
    for prefix in "$work"/*; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

echo "making the base prefix in $work/base"
WINEPREFIX=$work/base wineboot -i >/dev/null 2>&1
WINEPREFIX=$work/base wineserver -w

failed=""
for version in $versions; do
    prefix=$work/$version
    "$tools/wine-prefix-copy.sh" "$work/base" "$prefix"
    # The test runs in the same Wine session as the change, which the server holds already.
    WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
    echo "=== $version"
    if WINEPREFIX=$prefix wine "$test_exe" --gtest_filter='OsTypeLive.*' --gtest_brief=1; then
        echo "=== $version: passed"
    else
        echo "=== $version: FAILED"
        failed="$failed $version"
    fi
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w
    "$tools/wine-prefix-copy.sh" --check "$work/base" || failed="$failed $version(base-changed)"
    rm -rf "$prefix"
done

if [ -n "$failed" ]; then
    echo "failed for:$failed" >&2
    exit 1
fi
echo "all versions passed: $versions"
