#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests, then the cross build's unit,
# in-process and process-level tests under Wine and Xvfb. Exits non-zero on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1

fail=0
"$root/scripts/build.sh" native || exit 1
"$root/scripts/build.sh" win64 || exit 1
# The 32-bit build must compile; it is not run.
"$root/scripts/build.sh" win32 || exit 1
"$root/scripts/build.sh" bench || exit 1

(cd "$root/build/native" && ctest --output-on-failure) || fail=1
# Every fuzz target over its seeds, then a few seconds of new inputs.
"$root/scripts/fuzz.sh" --smoke || fail=1

# The tests have a Wine prefix of their own (unmanaged windows on a bare Xvfb).
export VELMORA_WINEPREFIX="$root/build/wine-prefix-test" VELMORA_WINE_UNMANAGED=1
unset DISPLAY
. "$root/scripts/xvfb.sh"
velmora_start_xvfb
trap '[ -n "${VELMORA_XVFB_PID:-}" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null; . "$root/scripts/wine-env.sh"; wineserver -k 2>/dev/null' EXIT
"$root/scripts/wine-prefix.sh" || exit 1
. "$root/scripts/wine-env.sh"
# A persistent server started away from CTest's pipes.
wineserver -p >/dev/null 2>&1 </dev/null
wine wineboot >/dev/null 2>&1 </dev/null

(cd "$root/build/win64" && ctest --output-on-failure) || fail=1
# The release zips, unpacked and started as a user would.
"$root/tests/package_test.sh" win64 || fail=1

if [ "$fail" != 0 ]; then echo "test.sh: FAILED"; else echo "test.sh: all tests passed"; fi
exit $fail
