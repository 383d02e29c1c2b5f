#!/usr/bin/env bash
# Installs what is needed, builds, and starts the show from the repository
# root; `bash tools/show.sh BUILD_DIR` starts that build's show as it is,
# without installing or building. Without an X display it runs on a virtual
# one and says so; Ctrl-C then ends the show first (exit code 0), then its
# display.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-}
if [ -z "$build" ]; then
  bash tools/install-deps.sh
  bash tools/build.sh
  build=build
fi
if [ -z "${DISPLAY:-}" ]; then
  source tests/lib/display.sh
  start_virtual_display
  echo "No X display found: the show runs on the virtual display $DISPLAY (Xvfb)."
  echo "Look at it with: DISPLAY=$DISPLAY import -window root shot.png; end it with Ctrl-C."
fi
# Not exec'd: the display ends with this script, after the show.
"$build/driftmeadow"
