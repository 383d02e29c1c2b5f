#!/usr/bin/env bash
# The whole suite, end-to-end scripts included, built with AddressSanitizer
# and UndefinedBehaviorSanitizer in a build folder of its own, with leak
# detection on. Reports whose whole stack lies in Mesa, X11 or SDL are
# suppressed (tools/sanitizers/); nothing of the project's own is.
#   bash tools/asan.sh [build folder, default build-asan] [ctest options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-asan}
shift || true
cmake -S . -B "$dir" -DDRIFTMEADOW_ASAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)"
here=$(pwd)
# verify_asan_link_order=0: the stage test preloads a GL shim ahead of the runtime.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$here/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/tools/sanitizers/ubsan.supp"
source tools/xvfb.sh
start_virtual_display
ctest --test-dir "$dir" --output-on-failure -j2 -LE slow "$@"
