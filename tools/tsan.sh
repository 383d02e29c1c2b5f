#!/usr/bin/env bash
# The whole suite, end-to-end scripts included, built with ThreadSanitizer in
# a build folder of its own: the OSC receive thread and the window's
# receiver writing the control state, the console's writer thread, the
# renderer's PNG writer, SDL's timer thread sampling the spectrum and the
# audio callbacks feeding it, each against the threads that read what they
# write. A report ends the program that made it, and so fails its test.
# Suppressions (tools/sanitizers/tsan.supp) cover only SDL's timer start,
# PulseAudio's client library and Mesa's renderer threads.
#   bash tools/tsan.sh [build folder, default build-tsan] [ctest options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-tsan}
shift || true
cmake -S . -B "$dir" -DDRIFTMEADOW_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/sanitizers/tsan.supp"
source tools/xvfb.sh
start_virtual_display
ctest --test-dir "$dir" --output-on-failure -j2 -LE slow "$@"
