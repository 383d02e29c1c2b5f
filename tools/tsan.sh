#!/usr/bin/env bash
# Builds the OSC and audio tests with ThreadSanitizer in a build folder of
# their own and runs them: the OSC receive thread writes the control state,
# and SDL's timer thread the spectrum (fed by the audio callbacks), while the
# test thread reads; no data race may be reported. The audio input test gets
# a PulseAudio of its own.
#   bash tools/tsan.sh [build folder, default build-tsan]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-tsan}
cmake -S . -B "$dir" -DDRIFTMEADOW_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j2 --target osc_dispatch_test osc_receiver_test audio_spectrum_test audio_input_test
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp"
for t in osc_dispatch_test osc_receiver_test audio_spectrum_test; do
  "$dir/tests/$t"
done
bash tests/lib/with-pulse.sh "$dir/tests/audio_input_test"
