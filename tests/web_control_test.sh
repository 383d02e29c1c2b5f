#!/usr/bin/env bash
# The control page end to end, in a private network: the real show on a
# display of its own, driftmeadow-control --web sending to it and to oscdump
# (the independent receiver), headless Chromium at phone size. Without the
# token (or from another origin) the page and the WebSocket answer 403 and
# nothing is sent; a mouse drag of the "input 2" fader to its end turns the
# show's sky yellow and a second page follows; the transport buttons send
# seek and loop; oversized, malformed and flooding frames are dropped and
# counted, the bridge goes on, and what reaches the shows stays within range
# and 60 messages a second.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
source "$(dirname "$0")/lib/e2e.sh"
make_work_dir
own_display

scenario() {
  set -uo pipefail
  source tests/lib/e2e.sh
  trap run_exit_handlers EXIT
  local page=tests/support/control_page.py
  timeout 120 "$BIN" >"$work/show.out" 2>"$work/show.err" &
  on_exit "kill $! 2>/dev/null"
  oscdump -L 57000 >"$work/dump" &
  on_exit "kill $! 2>/dev/null"
  timeout 120 "$BUILD/driftmeadow-control" --web 127.0.0.1:8550 --send 127.0.0.1:55550 --send 127.0.0.1:57000 \
    >"$work/bridge.out" 2>"$work/bridge.err" &
  local bridge=$!
  on_exit "kill $bridge 2>/dev/null"
  wait_show_ready "$work/show.out" || fail "the show did not start"
  wait_for 10 grep -q 'is running' "$work/bridge.out" || fail "the bridge did not start: $(cat "$work/bridge.err")"
  local url
  url=$(grep -o 'http://127.0.0.1:8550/?token=[A-Za-z0-9]*' "$work/bridge.out" | head -1)
  [ -n "$url" ] || fail "no page address printed: $(cat "$work/bridge.out")"

  /usr/bin/python3 "$page" refusals "$url" || exit 1
  grep -q 'refused a request from 127.0.0.1 without the token' "$work/bridge.out" || fail "no refusal line"
  sleep 0.3
  [ ! -s "$work/dump" ] || fail "something was sent after the refusals: $(cat "$work/dump")"
  echo "ok: nothing sent after the refusals"

  /usr/bin/python3 "$page" browsers "$url" "$work" || exit 1
  # The page at phone size, for the README's picture of it.
  cp "$work/phone.png" "$BUILD/web_control_phone.png"
  wait_for 20 screen_sky_is "$SKY_YELLOW" "$SKY_BLUE" "$SKY_GREY" ||
    fail "the sky did not turn yellow: show: $(tail -c 300 "$work/show.out" | tr "\r" "\n" | tail -3); sent: $(tail -3 "$work/dump")"
  echo "ok: the show's sky turned yellow"
  wait_for 5 grep -q '/driftmeadow/loop ii 0 415' "$work/dump" || fail "no loop sent"
  grep -q '/driftmeadow/seek i 0$' "$work/dump" && grep -q '/driftmeadow/seek i 420$' "$work/dump" ||
    fail "no seek 0 and seek 420: $(grep seek "$work/dump")"
  echo "ok: the transport buttons sent seek 0, loop 0 415 and seek 420"

  : >"$work/dump"
  /usr/bin/python3 "$page" hostile "$url" || exit 1
  wait_for 5 grep -q 'dropped so far: 1 too long, 9 malformed, [1-9][0-9]* too fast' "$work/bridge.out" ||
    fail "no count of dropped messages: $(grep dropped "$work/bridge.out")"
  kill -0 $bridge 2>/dev/null || fail "the bridge ended after the hostile frames"
  /usr/bin/python3 "$page" sound "$url" "set 0 0.5" || exit 1
  wait_for 5 grep -q '/driftmeadow ii 0 16383$' "$work/dump" || fail "a sound message after them was not sent"
  echo "ok: hostile frames dropped and counted ($(grep -o 'dropped so far.*' "$work/bridge.out" | tail -1)); the bridge goes on"

  # The flood's ramp as oscdump saw it: every value within range, the last
  # one the top, and never two for one input within a sixtieth of a second
  # (less the timing of a busy machine).
  awk 'function hex(h,  i, n) { for (i = 1; i <= length(h); i++) n = n * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1; return n }
       $2 == "/driftmeadow" && $4 == 2 {
         split($1, t, "."); s = hex(t[1]) + hex(t[2]) / 4294967296
         if ($5 < 0 || $5 > 32765) bad = bad " " $5
         if (n && s - last < 0.012) fast++
         last = s; n++; top = $5 }
       END { printf "%d %d %s %s\n", n, fast, top, bad }' "$work/dump" >"$work/ramp"
  read -r count fast top bad <"$work/ramp"
  [ "$count" -ge 5 ] && [ "$fast" -eq 0 ] && [ "$top" = 32765 ] && [ -z "${bad:-}" ] ||
    fail "input 2 from the flood: $count messages, $fast too close, last $top, out of range:${bad:-}"
  echo "ok: the flood reached the shows as $count messages of input 2, 60 a second at most, all within 0..32765"

  kill -INT $bridge
  wait $bridge
  local rc=$?
  [ $rc -eq 0 ] || fail "the bridge ended with $rc after Ctrl-C"
  [ ! -s "$work/bridge.err" ] || fail "the bridge's standard error: $(cat "$work/bridge.err")"
  echo "ok: Ctrl-C ends the bridge with 0 and nothing on standard error"
}

export BIN BUILD work DISPLAY
in_private_net bash -c "$(declare -f scenario); scenario" || exit 1
