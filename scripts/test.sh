#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests and the fuzz smoke run, then each cross
# build's (64-bit and 32-bit) unit, in-process and process-level tests under Wine and Xvfb, and
# its release zip. Exits non-zero on any failure.
#
# The three runs go side by side once everything is built, each with a log of its own in
# build/test-logs (printed at the end): the native one, and each Wine suite in a prefix of its
# arch on a display of its own. scripts/test-one.sh runs one suite or one test while working.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
. "$root/scripts/wine-env.sh"

export VELMORA_WINE_UNMANAGED=1 VELMORA_WINE_SILENT=1
arches=(win64)
if velmora_wine32_available; then
  arches+=(win32)
else
  echo "test.sh: Wine's 32-bit half (wine32:i386) is not installed: the 32-bit build's tests are left out"
fi
logs="$root/build/test-logs"
rm -rf "$logs"
mkdir -p "$logs"

# The tests' prefix of one arch (the program's own, build/wine-prefix, is left alone).
test_prefix() {
  export VELMORA_WINEARCH=$1 VELMORA_WINEPREFIX="$root/build/wine-prefix-test"
  if [ "$1" = win32 ]; then VELMORA_WINEPREFIX+=32; fi
  . "$root/scripts/wine-env.sh"
}

# The test prefixes are made (the first time) while the programs build.
declare -A prefix_job
for arch in "${arches[@]}"; do
  (test_prefix "$arch"; "$root/scripts/wine-prefix.sh") >"$logs/prefix-$arch.log" 2>&1 &
  prefix_job[$arch]=$!
done

built=1
for build in native win64 win32 fuzz; do
  if [ "$build" = win32 ] && [[ " ${arches[*]} " != *" win32 "* ]]; then continue; fi
  "$root/scripts/build.sh" "$build" || { built=0; break; }
done
prefixes=1
for arch in "${arches[@]}"; do
  if ! wait "${prefix_job[$arch]}"; then cat "$logs/prefix-$arch.log"; prefixes=0; fi
done
if [ "$built" != 1 ] || [ "$prefixes" != 1 ]; then echo "test.sh: FAILED (build or Wine prefix)"; exit 1; fi

native_run() {
  local rc=0
  (cd "$root/build/native" && ctest --output-on-failure) || rc=1
  # Every fuzz target over its seeds, then a few seconds of new inputs.
  "$root/scripts/fuzz.sh" --smoke || rc=1
  return $rc
}

# One build's Wine suite: its prefix, a persistent server started away from CTest's pipes, a
# bare Xvfb of its own; then that build's release zip, unpacked and started as a user would.
wine_suite() {
  test_prefix "$1"
  unset DISPLAY
  . "$root/scripts/xvfb.sh"
  velmora_start_xvfb
  trap 'kill "$VELMORA_XVFB_PID" 2>/dev/null; wineserver -k 2>/dev/null' EXIT
  wineserver -p >/dev/null 2>&1 </dev/null
  wine wineboot >/dev/null 2>&1 </dev/null
  local rc=0
  (cd "$root/build/$1" && ctest --output-on-failure) || rc=1
  "$root/tests/package_test.sh" "$1" || rc=1
  return $rc
}

declare -A job
(native_run) >"$logs/native.log" 2>&1 &
job[native]=$!
for arch in "${arches[@]}"; do
  (wine_suite "$arch") >"$logs/$arch.log" 2>&1 &
  job[$arch]=$!
done
stop_all() { for j in "${job[@]}"; do kill -- "$j" 2>/dev/null; done; }
trap stop_all INT TERM

fail=0
failed=()
for run in native "${arches[@]}"; do
  rc=0
  wait "${job[$run]}" || rc=$?
  echo "==== $run (log: build/test-logs/$run.log)"
  cat "$logs/$run.log"
  if [ "$rc" != 0 ]; then fail=1; failed+=("$run"); fi
done

if [ "$fail" != 0 ]; then echo "test.sh: FAILED (${failed[*]})"; else echo "test.sh: all tests passed"; fi
exit $fail
