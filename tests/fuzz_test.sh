#!/usr/bin/env bash
# A short fuzz run of every target (10 s each, 5 s for the small parsers of
# the bridge's mappings, OSC in, the control page's messages and the option
# texts), after the inputs that once found a fault are replayed: no datagram,
# recording, picture, sound file, mapping, page message or option text may
# crash its path, make it touch memory out of bounds, trip a sanitizer or
# keep it busy. Long runs: tools/fuzz.sh.
set -euo pipefail
BUILD=${2:?build directory}
for target in osc_packet osc_recording picture_load sound_file mapping osc_in page_message option_text; do
  out=$BUILD/fuzz/$target
  mkdir -p "$out"
  seconds=10
  case $target in mapping|osc_in|page_message|option_text) seconds=5 ;; esac
  bash tools/fuzz.sh "$seconds" "$out" "$target" >"$out/last-run.log" 2>&1 ||
    { tail -40 "$out/last-run.log"; echo "FAIL: $target: the fuzz run found a fault (input in $out/artifacts)" >&2; exit 1; }
  echo "ok: $target: $(grep -E '^Done [0-9]+ runs' "$out/last-run.log")"
done
