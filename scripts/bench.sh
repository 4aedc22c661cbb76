#!/usr/bin/env bash
# Builds and runs every benchmark: the native Google Benchmark programs (build/bench), then the
# timing harnesses of bench/win32 under Wine and Xvfb (build/win64). They print figures and
# ratios against baselines measured in the same run; nothing here fails because of a time.
#
# Optional environment:
#   VELMORA_BENCH_NATIVE_DIR  run the native benchmarks of this build folder instead of building build/bench
#   VELMORA_BENCH_WIN64_DIR   run the harnesses of this cross build folder instead of building build/win64
#   VELMORA_BENCH_ONLY        space-separated harness names to run (default: all of bench/win32)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1

results="$root/build/bench-results"
mkdir -p "$results"
status=0

echo "== native benchmarks"
native=${VELMORA_BENCH_NATIVE_DIR:-}
if [ -z "$native" ]; then
  if "$root/scripts/build.sh" bench; then native="$root/build/bench"; else
    echo "native benchmarks skipped: build/bench did not build (is Google Benchmark installed?)"
    status=1
  fi
fi
if [ -n "$native" ]; then
  for exe in "$native"/bench/*_bench; do
    [ -x "$exe" ] || continue
    echo "-- $(basename "$exe")"
    "$exe" 2>&1 | tee "$results/native-$(basename "$exe").txt" || status=1
  done
fi

echo "== Wine harnesses"
win64=${VELMORA_BENCH_WIN64_DIR:-}
if [ -z "$win64" ]; then
  "$root/scripts/build.sh" win64 velmora_wine_benches || exit 1
  win64="$root/build/win64"
fi

. "$root/scripts/xvfb.sh"
velmora_start_xvfb
# Our own Xvfb has no window manager: managed windows would add two seconds to every close.
if [ -n "${VELMORA_XVFB_PID:-}" ]; then export VELMORA_WINE_UNMANAGED=1; else export VELMORA_WINE_UNMANAGED=0; fi
"$root/scripts/wine-prefix.sh" || exit 1
. "$root/scripts/wine-env.sh"

# Test data lives on the same file system as /tmp, made from Linux, which is far quicker than
# creating 100,000 files through Wine; Wine sees /tmp as Z:\tmp.
data=$(mktemp -d /tmp/velmora-bench.XXXXXX)
cleanup() {
  rm -rf "$data"
  if [ -n "${VELMORA_XVFB_PID:-}" ]; then kill "$VELMORA_XVFB_PID" 2>/dev/null; fi
}
trap cleanup EXIT
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Names that test the ANSI code page: case, digits, symbols, half- and full-width kana and
# letters, double-byte characters whose second byte is a backslash.
stems=(Report report REPORT IMG_ ソフト表 ｱｲｳ アイウ Ａｂｃ ａｂｃ データ _x "(1)" "~tmp" "a=b" 能力 表示
  "work 1" "Work 1" 10 9 "#" あいう ﾃﾞｰﾀ)
varied_exts=(.txt .JPG .doc "" .ソフト .htm)
# Sets $name (printf -v: no sub-shell per file).
varied_name() { printf -v name '%s%04d%s' "${stems[$(($1 % 23))]}" "$1" "${varied_exts[$(( ($1 / 23) % 6 ))]}"; }

echo "making test folders in $data"
mkdir -p "$data/listing" "$data/worker"
(
  cd "$data/listing" || exit 1
  seq -f 'file_%06g.txt' 0 98999 | xargs touch
  for i in $(seq 0 999); do
    varied_name "$i"
    : >"$name"
  done
)
(
  cd "$data/worker" || exit 1
  exts=(.txt .jpg .png .bmp .doc .xls .pdf .zip .exe .bat .htm .ini .dat .csv .mp3 .xyz "")
  for i in $(seq 0 9899); do
    if [ $((i % 10)) = 0 ]; then varied_name $((i / 10)); else printf -v name 'item_%05d' "$i"; fi
    : >"$name${exts[$((i % 17))]}"
  done
  for i in $(seq 0 99); do
    printf -v name 'folder_%03d' "$i"
    mkdir "$name"
  done
)
echo "listing folder: $(find "$data/listing" -mindepth 1 | wc -l) entries; worker folder: $(find "$data/worker" -mindepth 1 | wc -l) entries"

# A server started away from this script's pipes; it ends by itself shortly after the last run.
wineserver -p10 >/dev/null 2>&1 </dev/null

run_harness() {
  local name=$1
  shift
  local exe="$win64/bench/$name.exe"
  if [ ! -f "$exe" ]; then
    echo "-- $name: $exe is missing"
    status=1
    return
  fi
  echo "-- $name (under Wine)"
  local out="$results/$name.txt" rc=0
  # Output through a file: Wine's helper processes would hold a pipe open.
  wine "$exe" "$@" >"$out" 2>&1 </dev/null || rc=$?
  cat "$out"
  if [ "$rc" != 0 ]; then
    echo "-- $name ended with exit code $rc"
    status=1
  fi
}

only=${VELMORA_BENCH_ONLY:-}
wanted() { [ -z "$only" ] || [[ " $only " == *" $1 "* ]]; }
# Quick ones first; the worker harness asks the shell 10,000 times per pass and takes minutes.
for src in "$root"/bench/win32/*.cpp; do
  name=$(basename "$src" .cpp)
  wanted "$name" || continue
  case "$name" in
    listing_bench|filter_bench|latency_bench) run_harness "$name" "$(winpath "$data/listing")" ;;
    worker_bench) ;;
    *) run_harness "$name" ;;
  esac
done
if wanted worker_bench && [ -f "$root/bench/win32/worker_bench.cpp" ]; then
  run_harness worker_bench "$(winpath "$data/worker")"
fi

echo "== figures against their targets and their values before"
grep -h '^figure:' "$results"/*.txt 2>/dev/null | sed 's/^figure: /  /'
echo "== results kept in $results"
exit $status
