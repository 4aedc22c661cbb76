#!/usr/bin/env bash
# Runs the fuzz targets of tests/fuzz (build/fuzz, clang with libFuzzer, ASan and UBSan).
#
#   scripts/fuzz.sh [seconds] [target...]   each target (default: all) for that long (default
#                                           180), one after another in one process; what it
#                                           finds grows build/fuzz/corpus/<target>
#   scripts/fuzz.sh --smoke [seconds]       each target over its seeds, then for a few seconds
#                                           (default 5): the test command's check
#
# Seeds are in tests/fuzz/corpus/<target> (tests/fuzz/make_seeds.sh writes them; inputs that
# once broke a target are added there by hand). An input that breaks a target is saved as
# build/fuzz/findings/<target>-crash-*, and the script exits non-zero.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

smoke=0
if [ "${1:-}" = --smoke ]; then
  smoke=1
  shift
  seconds=${1:-5}
  shift $(($# > 0 ? 1 : 0))
else
  seconds=${1:-180}
  shift $(($# > 0 ? 1 : 0))
fi

"$root/scripts/build.sh" fuzz >/dev/null || exit 1
bin="$root/build/fuzz/tests/fuzz"
seeds="$root/tests/fuzz/corpus"
findings="$root/build/fuzz/findings"
mkdir -p "$findings"

# The targets are compiled from copies whose literals are code page 932, as the program's.
"$bin/charset_check" || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$bin"/*_fuzz; do targets+=("$(basename "$exe")"); done
fi

# No leak checks: the targets keep nothing, and libjpeg's pools are freed with its object.
# One allocation above 640 MB fails the run: the decoders refuse larger pictures (a full-size
# picture at its pixel limit takes 512 MB) and bound libjpeg's own memory below that.
options=(-timeout=20 -rss_limit_mb=2560 -malloc_limit_mb=640 -max_len=16384 -detect_leaks=0 -print_final_stats=1
  -artifact_prefix="$findings/")
status=0
for target in "${targets[@]}"; do
  exe="$bin/$target"
  [ -x "$exe" ] || { echo "fuzz.sh: no target $target"; status=1; continue; }
  log="$findings/$target.log"
  if [ "$smoke" = 1 ]; then
    # The seeds one by one, as regressions.
    if ! "$exe" "${options[@]}" "$seeds/$target"/* >"$log" 2>&1; then
      echo "-- $target: FAILED on its seeds (log: $log)"
      tail -n 30 "$log"
      status=1
      continue
    fi
    work=$(mktemp -d)
  else
    work="$root/build/fuzz/corpus/$target"
    mkdir -p "$work"
  fi
  # New inputs go into the first folder; the seeds are only read.
  "$exe" "${options[@]}" -max_total_time="$seconds" "$work" "$seeds/$target" >"$log" 2>&1
  rc=$?
  [ "$smoke" = 1 ] && rm -rf "$work"
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
  corpus=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1)
  if [ "$rc" != 0 ]; then
    echo "-- $target: FAILED after ${runs:-?} runs (log: $log)"
    grep -m 1 -A 20 'ERROR\|check failed\|runtime error\|timeout\|out-of-memory' "$log"
    status=1
  else
    echo "-- $target: ${runs:-?} runs in ${seconds}s, $cov, $corpus"
  fi
done
exit $status
