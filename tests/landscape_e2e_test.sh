#!/usr/bin/env bash
# The real show, in a private network on a display of its own: at start-up it
# loads its eight pictures in the order floor, smoke, cloud01 to cloud06, and
# the sky on screen follows the input values sent to its OSC port: light
# blue with no input, yellow once input 2 is held at full, grey once input 0
# is held (with input 2 back at 0) - each time without a trace of the other
# two skies. Ends on Escape with exit code 0 and nothing on standard error.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
source "$(dirname "$0")/lib/e2e.sh"
# A full-screen SDL window takes the keyboard: one show per display.
source "$(dirname "$0")/../tools/xvfb.sh"
start_virtual_display
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${XVFB_PID:-}" ] && kill $XVFB_PID 2>/dev/null' EXIT

# The three skies as the window shows them (clear colours as bytes).
LIGHT_BLUE='204,217,255'
YELLOW='255,250,51'
GREY='17[89],17[89],204'

# Runs inside the private network: starts the show, steers it with oscsend
# and checks screenshots of the upper band of the window, where the sky
# shows between the clouds and around the sun.
scenario() {
  bin=$1 work=$2
  timeout 120 "$bin" >"$work/out" 2>"$work/err" &
  show=$!
  for _ in $(seq 1 200); do
    xwininfo -root -tree 2>/dev/null | grep -q '"SDL - Driftmeadow v1.0"' && break
    sleep 0.1
  done
  # count COLOUR: pixels of exactly that colour in the top 120 rows.
  count() {
    convert "$work/shot.png" -crop 800x120+0+0 +repage -format %c histogram:info:- |
      grep -E "\(($1)\)" | awk '{ n += $1 } END { print n + 0 }'
  }
  # sky_is WANTED OTHER1 OTHER2 WHAT: polls (at most 40 s) until a
  # screenshot shows the wanted sky in many pixels and the others in none.
  sky_is() {
    local want=$1 other1=$2 other2=$3 what=$4
    for _ in $(seq 1 80); do
      import -window root "$work/shot.png" 2>/dev/null
      if [ "$(count "$want")" -gt 2000 ] && [ "$(count "$other1")" -eq 0 ] &&
         [ "$(count "$other2")" -eq 0 ]; then
        echo "ok: $what"
        return 0
      fi
      sleep 0.5
    done
    cp "$work/shot.png" "$work/failed.png"
    echo "FAIL: $what (wanted $want: $(count "$want"), $other1: $(count "$other1"), $other2: $(count "$other2"))"
    return 1
  }
  send() { oscsend 127.0.0.1 55550 /driftmeadow ii "$1" "$2"; }
  status=0
  sky_is "$LIGHT_BLUE" "$YELLOW" "$GREY" "with no input the sky is light blue" || status=1
  send 2 32765
  sky_is "$YELLOW" "$LIGHT_BLUE" "$GREY" "with input 2 at 1.0 the sky turns yellow" || status=1
  # A quarter of input 0 turns the look fully grey and keeps the shake of
  # the final pass small, so the band still shows the top of the sky.
  send 2 0
  send 0 8191
  sky_is "$GREY" "$LIGHT_BLUE" "$YELLOW" "with input 0 held and input 2 at 0 the sky turns grey" || status=1
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
  wait $show
  rc=$?
  [ "$rc" -eq 0 ] || { echo "FAIL: exit code $rc, expected 0"; status=1; }
  return $status
}

in_private_net bash -c "$(declare -f scenario); LIGHT_BLUE='$LIGHT_BLUE' YELLOW='$YELLOW' GREY='$GREY' scenario \"\$@\"" \
  _ "$BIN" "$work" || fail "the sky did not follow the inputs ($(cat "$work/err"))"

expected='Image: Loaded file "images/floor01.jpg"
Image: Loaded file "images/smoke.png"
Image: Loaded file "images/cloudz/cloud01.bmp"
Image: Loaded file "images/cloudz/cloud02.bmp"
Image: Loaded file "images/cloudz/cloud03.bmp"
Image: Loaded file "images/cloudz/cloud04.bmp"
Image: Loaded file "images/cloudz/cloud05.bmp"
Image: Loaded file "images/cloudz/cloud06.bmp"'
loads=$(grep -o '^Image: Loaded file "[^"]*"' "$work/out")
[ "$loads" = "$expected" ] || fail "load lines: got '$loads'"
echo "ok: start-up loads the eight pictures in order, one line each"
[ ! -s "$work/err" ] || fail "standard error not empty: $(cat "$work/err")"
echo "ok: nothing on standard error"
