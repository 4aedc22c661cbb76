#!/usr/bin/env bash
# Sets up, builds and starts Velmora from a folder of its own (build/win64/app), so that its
# "data" folder sits beside velmora.exe. Uses $DISPLAY, or an Xvfb of its own when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win64
. "$root/scripts/xvfb.sh"
velmora_start_xvfb
"$root/scripts/wine-prefix.sh"
. "$root/scripts/wine-env.sh"
if [ -n "${VELMORA_XVFB_PID:-}" ]; then
  echo "Velmora runs on the virtual display $DISPLAY; take a screenshot with:"
  echo "  import -display $DISPLAY -window root velmora.png"
fi
cd "$root/build/win64/app"
log="$root/build/velmora-run.log"
rc=0
wine velmora.exe "$@" >"$log" 2>&1 </dev/null || rc=$?
[ -n "${VELMORA_XVFB_PID:-}" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null
exit $rc
