#!/usr/bin/env bash
# Takes screenshots of the running show at its three looks, steered through
# its OSC port as a performer would, into docs/looks/ (house.png with no
# input, flower.png with input 2 at full, grey.png with input 0 at a quarter,
# which turns the look fully grey while the shake stays small), and
# docs/react.png: the show steered by driftmeadow-audio's default mapping
# while a 60 Hz tone plays, on a PulseAudio of its own.
# Usage: tools/looks.sh [build dir]. Runs on a virtual display of its own and
# in a private network.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
source tools/xvfb.sh
start_virtual_display
source tests/lib/e2e.sh
mkdir -p docs/looks

# The window (800 x 600) at half size, to keep the files small.
shot() { import -window root png:- | convert - -resize 50% "docs/$1.png"; echo "docs/$1.png"; }
start_show() {
  "$1" >/dev/null 2>&1 &
  show=$!
  for _ in $(seq 1 200); do
    xwininfo -root -tree 2>/dev/null | grep -q '"SDL - Driftmeadow v1.0"' && break
    sleep 0.1
  done
}
end_show() {
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
  wait $show
}

shots() {
  start_show "$1"
  send() { oscsend 127.0.0.1 55550 /driftmeadow ii "$1" "$2"; }
  sleep 4
  shot looks/house
  send 2 32765
  sleep 5
  shot looks/flower
  send 2 0
  send 0 8191
  sleep 10
  shot looks/grey
  end_show
}

react() {
  source tests/lib/pulse.sh
  start_private_pulse
  sox -D -n -r 44100 -c 2 -b 16 "$PULSE_RUNTIME/60.wav" synth 30 sine 60 vol 0.5
  start_show "$1"
  sleep 2
  "$2" --file "$PULSE_RUNTIME/60.wav" --send </dev/null >/dev/null &
  local tool=$!
  sleep 10
  shot react
  kill $tool
  wait $tool
  end_show
}
functions="$(declare -f shot start_show end_show shots react)"
in_private_net bash -c "$functions; shots \"\$@\"" _ "$BUILD/driftmeadow"
in_private_net bash -c "$functions; react \"\$@\"" _ "$BUILD/driftmeadow" "$BUILD/driftmeadow-audio"
