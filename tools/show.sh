#!/usr/bin/env bash
# Installs what is needed, builds, and starts the show from the repository
# root. Without an X display it runs on a virtual one and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh
if [ -z "${DISPLAY:-}" ]; then
  source tests/lib/display.sh
  start_virtual_display
  echo "No X display found: the show runs on the virtual display $DISPLAY (Xvfb)."
  echo "Look at it with: DISPLAY=$DISPLAY import -window root shot.png; end it with Ctrl-C."
fi
./build/driftmeadow
