#!/usr/bin/env bash
# The OSC and audio tests once more, built with ThreadSanitizer in a build
# folder of their own (under the build directory): the handoff of the control
# state from the receive thread, and of the spectrum from SDL's timer thread
# and the audio callbacks, to their readers must be free of data races.
set -euo pipefail
BUILD=${2:?build directory}
bash tools/tsan.sh "$BUILD/tsan" >"$BUILD/tsan-run.log" 2>&1 ||
  { grep -v '^\[ *[0-9]*%\]' "$BUILD/tsan-run.log" | tail -60; echo "FAIL: ThreadSanitizer run of the OSC and audio tests" >&2; exit 1; }
grep -E 'PASSED' "$BUILD/tsan-run.log"
echo "ok: the OSC and audio tests pass under ThreadSanitizer with no report"
