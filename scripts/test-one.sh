#!/usr/bin/env bash
# Builds and runs one suite, or some of its tests, while working:
#
#   scripts/test-one.sh BUILD SUITE [FILTER]
#     BUILD   native | win64 | win32
#     SUITE   unit | win32 | e2e    (native has only unit)
#     FILTER  a GoogleTest filter, e.g. 'BrowseTest.*' or 'Startup.*:-*Large*'
#
#   scripts/test-one.sh win64 e2e 'BrowseE2E.*'
#
# Builds only that suite's program (and what it starts), then runs it as scripts/test.sh does:
# under Wine in the tests' prefix of that arch, on a bare Xvfb of its own. Set up once with
# scripts/test.sh or scripts/setup.sh first.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
suite=${2:-}
filter=${3:-*}
case "$suite" in
  unit) target=velmora_unit_tests ;;
  win32) target=velmora_win32_tests ;;
  e2e) target=velmora_e2e_tests ;;
  *) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
case "$build" in
  native)
    [ "$suite" = unit ] || { echo "test-one.sh: the native build has only the unit suite" >&2; exit 2; }
    "$root/scripts/build.sh" native "$target" || exit 1
    exec "$root/build/native/tests/$target" --gtest_filter="$filter" ;;
  win64|win32) ;;
  *) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac

"$root/scripts/build.sh" "$build" "$target" || exit 1
export VELMORA_WINE_UNMANAGED=1 VELMORA_WINE_SILENT=1
export VELMORA_WINEARCH=$build VELMORA_WINEPREFIX="$root/build/wine-prefix-test"
if [ "$build" = win32 ]; then VELMORA_WINEPREFIX+=32; fi
"$root/scripts/wine-prefix.sh" || exit 1
. "$root/scripts/wine-env.sh"
unset DISPLAY
. "$root/scripts/xvfb.sh"
velmora_start_xvfb
trap 'kill "$VELMORA_XVFB_PID" 2>/dev/null; wineserver -k 2>/dev/null' EXIT
wineserver -p >/dev/null 2>&1 </dev/null
# The process-level tests find the program beside them, as CTest tells them.
export VELMORA_APP_DIR="$root/build/$build/app"
[ -x "$root/build/$build/tests/xdnd_drop" ] && export VELMORA_XDND_DROP="$root/build/$build/tests/xdnd_drop"
cd "$root/build/$build/tests"
"$root/scripts/wine-exec.sh" "./$target.exe" --gtest_filter="$filter"
