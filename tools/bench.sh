#!/usr/bin/env bash
# Builds and runs the benchmarks on a private virtual display, each in a
# private network namespace (the show's port is then free of any running show);
# the audio benchmark on a PulseAudio of its own, the bridge's on a JACK
# server of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tests/lib/e2e.sh
own_display
# The frame counts given go to the two benchmarks that take them.
for b in build/*_bench; do
  echo "== $(basename "$b")"
  case $b in
    # Sound needs a PulseAudio of its own.
    *audio_bench) in_private_net bash tests/lib/with-pulse.sh "$b" ;;
    # MIDI needs a JACK server; it takes a sample count only.
    *bridge_bench) (source tests/lib/jack.sh && start_private_jack && in_private_net "$b") ;;
    *frame_bench | *render_bench) in_private_net "$b" "$@" ;;
    *) in_private_net "$b" ;;
  esac
done
