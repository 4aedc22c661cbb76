#!/usr/bin/env bash
# Configures and builds one of the project's builds: native | win64 | win32 | bench.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-win64}
jobs=$(nproc 2>/dev/null || echo 2)
case "$kind" in
  native) args=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF) ;;
  bench)  args=(-DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF) ;;
  win64)  args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake") ;;
  # The 32-bit build is compiled, never run: the program only.
  win32)  args=(-DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake") ;;
  *) echo "build.sh: unknown build $kind" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/build/$kind" -G Ninja "${args[@]}" >/dev/null
cmake --build "$root/build/$kind" -j "$jobs"
