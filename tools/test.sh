#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite on a private
# virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh
source tests/lib/display.sh
start_virtual_display
ctest --test-dir build --output-on-failure -j2 "$@"
