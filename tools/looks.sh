#!/usr/bin/env bash
# Makes the README's pictures with the offline renderer, at 400x300, from the
# recorded performance docs/performance.osc (oscdump's format: no input, then
# input 2 at full from 10 s, then input 0 at a quarter from 20 s, which turns
# the look fully grey while the shake stays small): the show's three looks
# (docs/looks/house.png at 8 s, flower.png at 18 s, grey.png at 30 s), and the
# two other scenes (docs/scenes/disc.png, opened, at 5.3 s, with the floor
# picture; sequence.png at 3.05 s, from images/sequence). Needs no display.
# Usage: tools/looks.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
R="${1:-build}/driftmeadow-render"
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
mkdir -p docs/looks docs/scenes

# picture FILE SECONDS [OPTIONS...]: the frame at that time into FILE.
picture() {
  local file=$1 at=$2
  shift 2
  "$R" --osc docs/performance.osc --from "$at" --size 400x300 --out "$frames/$(basename "$file")" "$@" >/dev/null
  cp "$frames/$(basename "$file")/00000.png" "$file"
  echo "$file"
}
picture docs/looks/house.png 8
picture docs/looks/flower.png 18
picture docs/looks/grey.png 30
picture docs/scenes/disc.png 5.3 --scene disc
picture docs/scenes/sequence.png 3.05 --scene sequence --frames images/sequence --count 10
