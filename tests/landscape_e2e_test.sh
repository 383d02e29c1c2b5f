#!/usr/bin/env bash
# The real show in a private network on a display of its own: it loads its
# eight pictures in order, its sky follows the input values sent to its OSC
# port (light blue, yellow with input 2 held, grey with input 0 held), and
# Escape ends it with exit code 0 and nothing on standard error.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
source "$(dirname "$0")/lib/e2e.sh"
source "$(dirname "$0")/lib/display.sh"
start_virtual_display
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${XVFB_PID:-}" ] && kill $XVFB_PID 2>/dev/null' EXIT

scenario() {
  bin=$1 work=$2
  local blue='204,217,255' yellow='255,250,51' grey='17[89],17[89],204'
  timeout 120 "$bin" >"$work/out" 2>"$work/err" &
  show=$!
  for _ in $(seq 1 200); do
    xwininfo -root -tree 2>/dev/null | grep -q '"SDL - Driftmeadow v1.0"' && break
    sleep 0.1
  done
  # Pixels of exactly colour $1 in the top 120 rows of the last screenshot.
  count() {
    convert "$work/shot.png" -crop 800x120+0+0 +repage -format %c histogram:info:- |
      grep -E "\(($1)\)" | awk '{ n += $1 } END { print n + 0 }'
  }
  # sky_is WANTED OTHER OTHER WHAT: polls (at most 40 s) for a screenshot with
  # the wanted sky in many pixels and the other two in none.
  sky_is() {
    for _ in $(seq 1 80); do
      import -window root "$work/shot.png" 2>/dev/null
      if [ "$(count "$1")" -gt 2000 ] && [ "$(count "$2")" -eq 0 ] && [ "$(count "$3")" -eq 0 ]; then
        echo "ok: $4"
        return 0
      fi
      sleep 0.5
    done
    echo "FAIL: $4 (wanted $1: $(count "$1"), $2: $(count "$2"), $3: $(count "$3"))"
    return 1
  }
  send() { oscsend 127.0.0.1 55550 /driftmeadow ii "$1" "$2"; }
  status=0
  sky_is "$blue" "$yellow" "$grey" "with no input the sky is light blue" || status=1
  send 2 32765
  sky_is "$yellow" "$blue" "$grey" "with input 2 at 1.0 the sky turns yellow" || status=1
  # A quarter of input 0 is fully grey and keeps the final pass's shake small.
  send 2 0
  send 0 8191
  sky_is "$grey" "$blue" "$yellow" "with input 0 held and input 2 at 0 the sky turns grey" || status=1
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
  wait $show
  rc=$?
  [ "$rc" -eq 0 ] || { echo "FAIL: exit code $rc, expected 0"; status=1; }
  return $status
}

in_private_net bash -c "$(declare -f scenario); scenario \"\$@\"" _ "$BIN" "$work" ||
  fail "the sky did not follow the inputs ($(cat "$work/err"))"

expected=$(for f in floor01.jpg smoke.png cloudz/cloud0{1..6}.bmp; do echo "Image: Loaded file \"images/$f\""; done)
loads=$(grep -o '^Image: Loaded file "[^"]*"' "$work/out")
[ "$loads" = "$expected" ] || fail "load lines: got '$loads'"
echo "ok: start-up loads floor, smoke and cloud01 to cloud06 in order, one line each"
[ ! -s "$work/err" ] || fail "standard error not empty: $(cat "$work/err")"
echo "ok: nothing on standard error"
