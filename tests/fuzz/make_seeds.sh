#!/usr/bin/env bash
# Rewrites the generated seeds in tests/fuzz/corpus with build/fuzz's fuzz_seeds; seeds made
# by hand and inputs kept after a fuzzer found them stay.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/build.sh" fuzz >/dev/null
"$root/build/fuzz/tests/fuzz/fuzz_seeds" "$root/tests/fuzz/corpus"
