#!/usr/bin/env bash
# Configures and builds one of the project's builds: native | win64 | win32 | bench | fuzz, or
# app | app32: the win64 or win32 build's program alone (in build/<build>/app, without the tests).
# Targets named after the build are built instead of the build's default set:
#   scripts/build.sh win64 velmora_win32_tests
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-win64}
shift $(($# > 0 ? 1 : 0))
jobs=$(nproc 2>/dev/null || echo 2)
win64=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake")
win32=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake")
dir=$kind
targets=()
for t in "$@"; do targets+=(--target "$t"); done
case "$kind" in
  # The benchmarks are compiled here too, so the test command checks they still build.
  native) args=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON) ;;
  bench)  args=(-DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF) ;;
  # The libFuzzer targets, with clang, ASan and UBSan (scripts/fuzz.sh runs them).
  fuzz)   args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF) ;;
  win64)  args=("${win64[@]}") ;;
  app)    args=("${win64[@]}"); dir=win64; targets=(--target velmora) ;;
  app32)  args=("${win32[@]}" -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF); dir=win32; targets=(--target velmora) ;;
  # The 32-bit build runs the same tests under 32-bit Wine (named, since its folders were once
  # configured without them); the benchmarks are the 64-bit one's.
  win32)  args=("${win32[@]}" -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF) ;;
  *) echo "build.sh: unknown build $kind" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/build/$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$root/build/$dir" -j "$jobs" "${targets[@]}"
