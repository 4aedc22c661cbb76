#!/usr/bin/env bash
# The release zips as a user gets them. Packages the builds as they are twice (the bytes must
# not change), checks the SHA-256 list and what each zip holds, then unpacks each zip into a
# fresh folder and runs the program from there under Wine (tests/e2e/package_test.cpp).
# Run by scripts/test.sh with the Wine environment and display it has set up.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
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
for build in win32 win64; do
  zip=$(ls "$work/dist1"/velmora-*-"$build".zip 2>/dev/null)
  [ -f "$zip" ] || { problem "no $build zip"; continue; }
  entries=$(unzip -Z1 "$zip")
  [ "$entries" = "$expected" ] || problem "$build zip holds:"$'\n'"$entries"
  grep -q "^$(basename "$zip")\$" <(awk '{print $2}' "$work/dist1/$sums") || problem "$build zip is not in the SHA-256 list"
  # Notepad's form: a byte order mark and CR LF line ends.
  readme=$(unzip -p "$zip" Velmora/README.txt | head -c 3 | od -An -tx1 | tr -d ' ')
  [ "$readme" = efbbbf ] || problem "$build README.txt starts with $readme, not a UTF-8 byte order mark"
  if unzip -p "$zip" Velmora/README.txt | grep -q $'[^\r]$'; then problem "$build README.txt has lines without CR LF"; fi
done

# Unpacked into a fresh folder and started from there: the 64-bit program under the tests' Wine.
run_unpacked() {
  local build=$1 e2e=$2
  local zip fresh out
  zip=$(ls "$work/dist1"/velmora-*-"$build".zip)
  fresh=$(mktemp -d "$work/unpacked-$build.XXXXXX")
  unzip -q "$zip" -d "$fresh" || { problem "$build zip does not unpack"; return; }
  out=$(VELMORA_PACKAGE_DIR="$fresh/Velmora" "$root/scripts/wine-exec.sh" "$e2e" --gtest_filter='Package.*' 2>&1)
  local rc=$?
  echo "$out" | grep -E '^\[ *(RUN|OK|FAILED|SKIPPED|PASSED) *\]|Failure|error' | sed "s/^/[$build] /"
  if [ $rc != 0 ] || ! grep -q '^\[  PASSED  \] 1 test' <<<"$out" || grep -q SKIPPED <<<"$out"; then
    echo "$out"
    problem "the unpacked $build program did not pass"
  fi
}
run_unpacked win64 "$root/build/win64/tests/velmora_e2e_tests.exe"

if [ "$fail" = 0 ]; then echo "package test: passed"; fi
exit $fail
