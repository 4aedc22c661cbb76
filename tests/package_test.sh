#!/usr/bin/env bash
# Usage: package_test.sh [win64|win32] (default win64)
# The release zips as a user gets them. Packages the builds as they are twice (the bytes must
# not change), checks the SHA-256 list and what each zip holds, then unpacks the named build's
# zip into a fresh folder and runs the program from there under Wine (tests/e2e/package_test.cpp,
# from the same build's e2e test program). Run by scripts/test.sh with the Wine environment
# (the 32-bit one for win32) and the display it has set up.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-win64}
work=$(mktemp -d /tmp/velmora-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail=0
problem() { echo "package test: $*"; fail=1; }

for run in 1 2; do
  VELMORA_PACKAGE_BUILT=1 VELMORA_DIST_DIR="$work/dist$run" "$root/scripts/package.sh" >"$work/package$run.log" 2>&1 ||
    { cat "$work/package$run.log"; echo "package test: scripts/package.sh failed"; exit 1; }
done
sums=$(cd "$work/dist1" && ls ./*-sha256.txt)
cmp -s "$work/dist1/$sums" "$work/dist2/$sums" || problem "two runs made different zips: $(cat "$work/dist1/$sums" "$work/dist2/$sums")"
(cd "$work/dist1" && sha256sum --quiet -c "$sums") || problem "the SHA-256 list does not match the zips"

expected=$'Velmora/Help/Velmora.htm\nVelmora/LICENSE.txt\nVelmora/README.txt\nVelmora/start.wav\nVelmora/velmora.exe'
for kind in win32 win64; do
  zip=$(ls "$work/dist1"/velmora-*-"$kind".zip 2>/dev/null)
  [ -f "$zip" ] || { problem "no $kind zip"; continue; }
  entries=$(unzip -Z1 "$zip")
  [ "$entries" = "$expected" ] || problem "$kind zip holds:"$'\n'"$entries"
  grep -q "^$(basename "$zip")\$" <(awk '{print $2}' "$work/dist1/$sums") || problem "$kind zip is not in the SHA-256 list"
  # Notepad's form: a byte order mark and CR LF line ends.
  readme=$(unzip -p "$zip" Velmora/README.txt | head -c 3 | od -An -tx1 | tr -d ' ')
  [ "$readme" = efbbbf ] || problem "$kind README.txt starts with $readme, not a UTF-8 byte order mark"
  if unzip -p "$zip" Velmora/README.txt | grep -q $'[^\r]$'; then problem "$kind README.txt has lines without CR LF"; fi
done

# Unpacked into a fresh folder and started from there, driven by the same build's e2e program.
run_unpacked() {
  local zip fresh out rc
  local e2e="$root/build/$build/tests/velmora_e2e_tests.exe"
  [ -f "$e2e" ] || { problem "no $e2e"; return; }
  zip=$(ls "$work/dist1"/velmora-*-"$build".zip)
  fresh=$(mktemp -d "$work/unpacked-$build.XXXXXX")
  unzip -q "$zip" -d "$fresh" || { problem "$build zip does not unpack"; return; }
  out=$(VELMORA_PACKAGE_DIR="$fresh/Velmora" "$root/scripts/wine-exec.sh" "$e2e" --gtest_filter='Package.*' 2>&1)
  rc=$?
  echo "$out" | grep -E '^\[ *(RUN|OK|FAILED|SKIPPED|PASSED) *\]|Failure|error' | sed "s/^/[$build] /"
  if [ $rc != 0 ] || ! grep -q '^\[  PASSED  \] 1 test' <<<"$out" || grep -q SKIPPED <<<"$out"; then
    echo "$out"
    problem "the unpacked $build program did not pass"
  fi
}
run_unpacked

if [ "$fail" = 0 ]; then echo "package test: passed"; fi
exit $fail
