#!/usr/bin/env bash
# Builds and runs the benchmarks on a private virtual display, each in a
# private network namespace (the show's port is then free of any running show).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tools/xvfb.sh
start_virtual_display
source tests/lib/e2e.sh
for b in build/bench/*_bench; do
  echo "== $(basename "$b")"
  in_private_net "$b" "$@"
done
