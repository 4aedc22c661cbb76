#!/usr/bin/env bash
# Rewrites the seed corpus in tests/fuzz/corpus from build/fuzz's fuzz_seeds; inputs the
# fuzzers found and that were kept as regressions (named crash-* or regress-*) stay.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/build.sh" fuzz >/dev/null
"$root/build/fuzz/tests/fuzz/fuzz_seeds" "$root/tests/fuzz/corpus"
