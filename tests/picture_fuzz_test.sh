#!/usr/bin/env bash
# A short fuzz run of picture loading (20 s), after the inputs that once found
# a fault are replayed: no file's bytes may crash the load, make it touch
# memory out of bounds or keep it busy. Long runs: tools/fuzz.sh.
set -euo pipefail
BUILD=${2:?build directory}
log=$BUILD/fuzz-picture/last-run.log
mkdir -p "$BUILD/fuzz-picture"
bash tools/fuzz.sh 20 "$BUILD/fuzz-picture" picture_load >"$log" 2>&1 ||
  { tail -40 "$log"; echo "FAIL: the fuzz run found a fault (input in $BUILD/fuzz-picture/artifacts)" >&2; exit 1; }
grep -E '^Done [0-9]+ runs' "$log"
echo "ok: the kept inputs and a 20 s fuzz run of picture loading found no fault"
