#!/usr/bin/env bash
# The whole suite, end-to-end scripts included (the soak and the fuzz run
# aside), built with a sanitizer in a build folder of its own. A report ends
# the program that made it, and so fails its test.
#   address: AddressSanitizer and UndefinedBehaviorSanitizer with leak
#     detection; nothing the show or a test makes may be left unreleased.
#   thread: ThreadSanitizer over every thread the project runs: the OSC
#     receive thread (alone and in the window) writing the control state, the
#     console's writer, the renderer's PNG writer, SDL's timer thread sampling
#     the spectrum and the audio callbacks feeding it.
# Suppressions (tools/sanitizers/) cover reports whose whole stack lies in
# the platform's libraries (X11, Mesa, SDL, PulseAudio), nothing of the
# project's own.
#   bash tools/sanitize.sh address|thread [build folder, default build-asan
#     or build-tsan] [ctest options...]
set -euo pipefail
cd "$(dirname "$0")/.."
here=$(pwd)
case ${1:-} in
  address)
    option=DRIFTMEADOW_ASAN folder=build-asan
    # verify_asan_link_order=0: the stage test preloads a GL shim ahead of the runtime.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:verify_asan_link_order=0"
    export LSAN_OPTIONS="suppressions=$here/tools/sanitizers/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" ;;
  thread)
    option=DRIFTMEADOW_TSAN folder=build-tsan
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$here/tools/sanitizers/tsan.supp" ;;
  *)
    echo "usage: bash tools/sanitize.sh address|thread [build folder] [ctest options...]" >&2
    exit 2 ;;
esac
dir=${2:-$folder}
shift $(($# < 2 ? $# : 2))
cmake -S . -B "$dir" -D$option=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)"
source tests/lib/display.sh
start_virtual_display
ctest --test-dir "$dir" --output-on-failure -j2 -LE slow "$@"
