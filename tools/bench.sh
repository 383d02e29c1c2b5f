#!/usr/bin/env bash
# Builds and runs the benchmarks on a private virtual display, each in a
# private network namespace (the show's port is then free of any running show);
# the audio benchmark on a PulseAudio of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tests/lib/display.sh
start_virtual_display
source tests/lib/e2e.sh
for b in build/*_bench; do
  echo "== $(basename "$b")"
  case $b in
    # Sound needs a PulseAudio of its own; it takes no frame counts.
    *audio_bench) in_private_net bash tests/lib/with-pulse.sh "$b" ;;
    *) in_private_net "$b" "$@" ;;
  esac
done
