#!/usr/bin/env bash
# Builds the OSC tests with ThreadSanitizer in a build folder of their own
# and runs them: the receive thread writes the control state while the test
# thread reads it, and no data race may be reported.
#   bash tools/tsan.sh [build folder, default build-tsan]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-tsan}
cmake -S . -B "$dir" -DDRIFTMEADOW_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j2 --target osc_dispatch_test osc_receiver_test
for t in osc_dispatch_test osc_receiver_test; do
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "$dir/tests/$t"
done
