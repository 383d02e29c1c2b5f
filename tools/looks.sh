#!/usr/bin/env bash
# Makes the README's pictures of the show's three looks with the offline
# renderer, from the recorded performance docs/performance.osc (oscdump's
# format: no input, then input 2 at full from 10 s, then input 0 at a quarter
# from 20 s, which turns the look fully grey while the shake stays small):
# house.png at 8 s, flower.png at 18 s, grey.png at 30 s, each 400x300, into
# docs/looks/. Needs no display.
# Usage: tools/looks.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
R="${1:-build}/driftmeadow-render"
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
mkdir -p docs/looks

look() {
  "$R" --osc docs/performance.osc --from "$2" --size 400x300 --out "$frames/$1" >/dev/null
  cp "$frames/$1/00000.png" "docs/looks/$1.png"
  echo "docs/looks/$1.png"
}
look house 8
look flower 18
look grey 30
