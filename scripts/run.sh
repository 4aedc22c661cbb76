#!/usr/bin/env bash
# Sets up, builds and starts Velmora from a folder of its own (build/win64/app), so that its
# "data" folder sits beside velmora.exe. Uses $DISPLAY, or an Xvfb of its own when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
. "$root/scripts/xvfb.sh"
velmora_start_xvfb
trap '[ -n "${VELMORA_XVFB_PID:-}" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null; true' EXIT
# Our own Xvfb has no window manager: windows there manage themselves. On a desktop the
# window manager frames them.
if [ -n "${VELMORA_XVFB_PID:-}" ]; then export VELMORA_WINE_UNMANAGED=1; else export VELMORA_WINE_UNMANAGED=0; fi
# The Wine prefix is made (the first time) while the program builds.
"$root/scripts/wine-prefix.sh" &
prefix=$!
build=0
"$root/scripts/build.sh" app || build=$?
wait "$prefix"
[ "$build" = 0 ] || exit "$build"
. "$root/scripts/wine-env.sh"
if [ -n "${VELMORA_XVFB_PID:-}" ]; then
  echo "Velmora runs on the virtual display $DISPLAY; take a screenshot with:"
  echo "  import -display $DISPLAY -window root velmora.png"
fi
cd "$root/build/win64/app"
log="$root/build/velmora-run.log"
rc=0
wine velmora.exe "$@" >"$log" 2>&1 </dev/null || rc=$?
exit $rc
