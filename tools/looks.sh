#!/usr/bin/env bash
# Takes screenshots of the running show at its three looks, steered through
# its OSC port as a performer would, into docs/looks/ (house.png with no
# input, flower.png with input 2 at full, grey.png with input 0 at a quarter,
# which turns the look fully grey while the shake stays small).
# Usage: tools/looks.sh [build dir]. Runs on a virtual display of its own and
# in a private network.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
source tools/xvfb.sh
start_virtual_display
source tests/lib/e2e.sh
mkdir -p docs/looks

shots() {
  "$1" >/dev/null 2>&1 &
  show=$!
  for _ in $(seq 1 200); do
    xwininfo -root -tree 2>/dev/null | grep -q '"SDL - Driftmeadow v1.0"' && break
    sleep 0.1
  done
  send() { oscsend 127.0.0.1 55550 /driftmeadow ii "$1" "$2"; }
  # The window (800 x 600) at half size, to keep the files small.
  shot() { import -window root png:- | convert - -resize 50% "docs/looks/$1.png"; echo "docs/looks/$1.png"; }
  sleep 4
  shot house
  send 2 32765
  sleep 5
  shot flower
  send 2 0
  send 0 8191
  sleep 10
  shot grey
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
  wait $show
}
in_private_net bash -c "$(declare -f shots); shots \"\$@\"" _ "$BUILD/driftmeadow"
