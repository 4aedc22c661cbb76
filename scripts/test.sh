#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests, then each cross build's (64-bit and
# 32-bit) unit, in-process and process-level tests under Wine and Xvfb. Exits non-zero on any
# failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1

fail=0
"$root/scripts/build.sh" native || exit 1
"$root/scripts/build.sh" win64 || exit 1
"$root/scripts/build.sh" win32 || exit 1
"$root/scripts/build.sh" bench || exit 1

(cd "$root/build/native" && ctest --output-on-failure) || fail=1
# Every fuzz target over its seeds, then a few seconds of new inputs.
"$root/scripts/fuzz.sh" --smoke || fail=1

# Each build's Wine suite runs in a Wine prefix of its own arch (unmanaged windows on a bare
# Xvfb, without sound), with a persistent server started away from CTest's pipes.
export VELMORA_WINE_UNMANAGED=1 VELMORA_WINE_SILENT=1
unset DISPLAY
. "$root/scripts/xvfb.sh"
velmora_start_xvfb
stop_wine() {
  (export VELMORA_WINEARCH=win64 VELMORA_WINEPREFIX="$root/build/wine-prefix-test"; . "$root/scripts/wine-env.sh"; wineserver -k 2>/dev/null)
  (export VELMORA_WINEARCH=win32 VELMORA_WINEPREFIX="$root/build/wine-prefix-test32"; . "$root/scripts/wine-env.sh"; wineserver -k 2>/dev/null)
}
trap '[ -n "${VELMORA_XVFB_PID:-}" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null; stop_wine' EXIT
wine_suite() {  # win64 | win32: the build of that name in a prefix of that arch
  (
    export VELMORA_WINEARCH=$1 VELMORA_WINEPREFIX="$root/build/wine-prefix-test"
    if [ "$1" = win32 ]; then VELMORA_WINEPREFIX+=32; fi
    "$root/scripts/wine-prefix.sh" || exit 1
    . "$root/scripts/wine-env.sh"
    wineserver -p >/dev/null 2>&1 </dev/null
    wine wineboot >/dev/null 2>&1 </dev/null
    rc=0
    (cd "$root/build/$1" && ctest --output-on-failure) || rc=1
    # That build's release zip, unpacked and started as a user would.
    "$root/tests/package_test.sh" "$1" || rc=1
    exit $rc
  )
}
wine_suite win64 || fail=1
. "$root/scripts/wine-env.sh"
if velmora_wine32_available; then
  wine_suite win32 || fail=1
else
  echo "test.sh: Wine's 32-bit half (wine32:i386) is not installed: the 32-bit build's tests are left out"
fi

if [ "$fail" != 0 ]; then echo "test.sh: FAILED"; else echo "test.sh: all tests passed"; fi
exit $fail
