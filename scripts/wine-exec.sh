#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. Output goes through a file: Wine's helper
# processes inherit a pipe and would keep a reader waiting after the program ended.
. "$(dirname "$0")/wine-env.sh"
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
