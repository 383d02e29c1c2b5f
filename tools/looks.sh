#!/usr/bin/env bash
# Makes the README's pictures. With the offline renderer, at 400x300, from the
# recorded performance docs/performance.osc (oscdump's format: no input, then
# input 2 at full from 10 s, then input 0 at a quarter from 20 s, which turns
# the look fully grey while the shake stays small): the show's three looks
# (docs/looks/house.png at 8 s, flower.png at 18 s, grey.png at 30 s), and the
# two other scenes (docs/scenes/disc.png, opened, at 5.3 s, with the floor
# picture; sequence.png at 3.05 s, from images/sequence); docs/video.png, a
# still from a music video made with --react. Then
# docs/react.png: a screenshot of the running show steered by
# driftmeadow-audio's default mapping while a 60 Hz tone plays, on a virtual
# display, in a private network and on a PulseAudio of its own.
# Usage: tools/looks.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
source tests/lib/e2e.sh
frames=$(mktemp -d)
on_exit "rm -rf '$frames'"
mkdir -p docs/looks docs/scenes

# docs/video.png: the last frame of a music video, the landscape reacting to
# a track (a 60 Hz tone on the left, pink noise on the right) for 12 s.
sox -D -n -r 44100 -c 2 -b 16 "$frames/track.wav" synth 12 sine 60 pinknoise vol 0.7
"$BUILD/driftmeadow-render" --react "$frames/track.wav" --to 12 --size 400x300 --video "$frames/music.mp4" >/dev/null
ffmpeg -v error -ss 11.9 -i "$frames/music.mp4" -frames:v 1 -y docs/video.png
echo docs/video.png

# picture FILE SECONDS [OPTIONS...]: the rendered frame at that time into FILE.
picture() {
  local file=$1 at=$2
  shift 2
  "$BUILD/driftmeadow-render" --osc docs/performance.osc --from "$at" --size 400x300 \
    --out "$frames/$(basename "$file")" "$@" >/dev/null
  cp "$frames/$(basename "$file")/00000.png" "$file"
  echo "$file"
}
picture docs/looks/house.png 8
picture docs/looks/flower.png 18
picture docs/looks/grey.png 30
picture docs/scenes/disc.png 5.3 --scene disc
picture docs/scenes/sequence.png 3.05 --scene sequence --frames images/sequence --count 10

own_display

# The window (800 x 600) at half size, to keep the files small.
shot() { import -window root png:- | convert - -resize 50% "docs/$1.png"; echo "docs/$1.png"; }
# start_show BIN LOG: the show in the background, waited for until it is ready.
start_show() {
  "$1" >"$2" 2>&1 &
  show=$!
  wait_show_ready "$2"
}
end_show() {
  hold_escape
  wait $show
}

react() {
  source tests/lib/pulse.sh
  start_private_pulse
  sox -D -n -r 44100 -c 2 -b 16 "$PULSE_RUNTIME/60.wav" synth 30 sine 60 vol 0.5
  start_show "$1" "$PULSE_RUNTIME/show.log"
  "$2" --file "$PULSE_RUNTIME/60.wav" --send </dev/null >/dev/null &
  local tool=$!
  sleep 10
  shot react
  kill $tool
  wait $tool
  end_show
}
in_private_net react "$BUILD/driftmeadow" "$BUILD/driftmeadow-audio"
