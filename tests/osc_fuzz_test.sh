#!/usr/bin/env bash
# A short fuzz run of the OSC packet path (20 s): no input may crash it, make
# it touch memory out of bounds or keep it busy. Long runs: tools/fuzz.sh.
set -euo pipefail
BUILD=${2:?build directory}
mkdir -p "$BUILD/fuzz"
bash tools/fuzz.sh 20 "$BUILD/fuzz" >"$BUILD/fuzz/last-run.log" 2>&1 ||
  { tail -40 "$BUILD/fuzz/last-run.log"; echo "FAIL: the fuzz run found a fault (input in $BUILD/fuzz/artifacts)" >&2; exit 1; }
grep -E '^Done [0-9]+ runs' "$BUILD/fuzz/last-run.log"
echo "ok: a 20 s fuzz run of the packet path found no fault"
