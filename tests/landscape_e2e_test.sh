#!/usr/bin/env bash
# The real show in a private network on a display of its own: it loads its
# eight pictures in order, its sky follows the input values sent to its OSC
# port (light blue, yellow with input 2 held, grey with input 0 held), and
# Escape ends it with exit code 0 and nothing on standard error.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
source "$(dirname "$0")/lib/e2e.sh"
own_display
make_work_dir

scenario() {
  bin=$1 work=$2
  timeout 120 "$bin" >"$work/out" 2>"$work/err" &
  show=$!
  wait_show_ready "$work/out"
  # expect_sky WANTED OTHER OTHER WHAT: polls (at most 40 s) for a screenshot
  # with the wanted sky in many pixels and the other two in none.
  expect_sky() {
    if wait_for --every 0.5 40 screen_sky_is "$1" "$2" "$3"; then
      echo "ok: $4"
      return 0
    fi
    local shot=$work/shot.png
    echo "FAIL: $4 (wanted $1: $(colour_count "$shot" "$1"), $2: $(colour_count "$shot" "$2"), $3: $(colour_count "$shot" "$3"))"
    return 1
  }
  send() { oscsend 127.0.0.1 55550 /driftmeadow ii "$1" "$2"; }
  status=0
  expect_sky "$SKY_BLUE" "$SKY_YELLOW" "$SKY_GREY" "with no input the sky is light blue" || status=1
  send 2 32765
  expect_sky "$SKY_YELLOW" "$SKY_BLUE" "$SKY_GREY" "with input 2 at 1.0 the sky turns yellow" || status=1
  # A quarter of input 0 is fully grey and keeps the final pass's shake small.
  send 2 0
  send 0 8191
  expect_sky "$SKY_GREY" "$SKY_BLUE" "$SKY_YELLOW" "with input 0 held and input 2 at 0 the sky turns grey" || status=1
  hold_escape
  wait $show
  rc=$?
  [ "$rc" -eq 0 ] || { echo "FAIL: exit code $rc, expected 0"; status=1; }
  return $status
}

in_private_net scenario "$BIN" "$work" ||
  fail "the sky did not follow the inputs ($(cat "$work/err"))"

expected=$(for f in floor01.jpg smoke.png cloudz/cloud0{1..6}.bmp; do echo "Image: Loaded file \"images/$f\""; done)
loads=$(grep -o '^Image: Loaded file "[^"]*"' "$work/out")
[ "$loads" = "$expected" ] || fail "load lines: got '$loads'"
echo "ok: start-up loads floor, smoke and cloud01 to cloud06 in order, one line each"
[ ! -s "$work/err" ] || fail "standard error not empty: $(cat "$work/err")"
echo "ok: nothing on standard error"
