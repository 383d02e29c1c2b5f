#!/usr/bin/env bash
# driftmeadow-audio --send, end to end in a private network with a PulseAudio
# of its own: liblo's oscdump on a private port sees a 60 Hz tone (a file,
# and live through the driver menus) drive the mapped bass value up and a
# silent file keep it at 0, every value in range and none faster than 50 a
# second; a send failure is one line and the tool goes on; bad options are
# one line and exit 2. Then the real show on a display of its own, where the
# same tone turns the sky toward yellow.
set -euo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
TOOL=$BUILD/driftmeadow-audio
source tests/lib/e2e.sh
# The display is started outside the private network (see tests/lib/display.sh)
# and ends when this outer run does; the rest runs inside it.
if [ -z "${IN_PRIVATE_NET:-}" ]; then
  own_display
  in_private_net env IN_PRIVATE_NET=1 bash "$0" "$@"
  exit
fi
source tests/lib/pulse.sh
start_private_pulse
W=$PULSE_RUNTIME
PIDS=()
on_exit 'kill "${PIDS[@]}" 2>/dev/null'

# -D: no dither, so the silent file is all zeros.
sox -D -n -r 44100 -c 2 -b 16 "$W/60.wav" synth 30 sine 60 vol 0.5
sox -D -n -r 44100 -c 2 -b 16 "$W/silent.wav" trim 0 30

# Options: the help names them with an example; what is unsound is one line and 2.
"$TOOL" --help >"$W/help"
grep -q -- "--send \[HOST:\]PORT" "$W/help" && grep -q -- "--map ID=LO:HI" "$W/help" && grep -q "^Example" "$W/help" ||
  fail "--help: $(cat "$W/help")"
for bad in "--map 2=0:1" "--send --map 2=0.3:0.1" "--send --map 2=0:1 --map 2=0.5:1" "--send 70000" \
           "--send nosuchhost.invalid:9000" "--send 127.0.0.010:9000" "--send 1.2.3:9000" "--send --once"; do
  rc=0
  # shellcheck disable=SC2086
  "$TOOL" $bad </dev/null >/dev/null 2>"$W/err" || rc=$?
  [ "$rc" -eq 2 ] && [ "$(wc -l <"$W/err")" -eq 1 ] || fail "$bad: exit $rc, $(cat "$W/err")"
done
echo "ok: help and refused options"

start_tool() {  # ARGS...: in the background, keys from $KEYS, output in $W/out and $W/err
  "$TOOL" "$@" <"${KEYS:-/dev/null}" >"$W/out" 2>"$W/err" &
  TOOL_PID=$!
  PIDS+=("$TOOL_PID")
}
stop_tool() {  # Ctrl-C's signal stops it cleanly: exit 0
  kill -TERM "$TOOL_PID"
  local rc=0
  wait "$TOOL_PID" || rc=$?
  [ "$rc" -eq 0 ] || fail "the tool exited with $rc: $(cat "$W/err")"
}
# Received "/driftmeadow ii ID VALUE" lines as "MS ID VALUE", MS since the first.
received() {
  local base="" ts addr types id value
  while read -r ts addr types id value; do
    [ "$addr $types" == "/driftmeadow ii" ] || fail "unexpected message: $ts $addr $types $id $value"
    local ms=$(((16#${ts%.*}) * 1000 + (16#${ts#*.}) * 1000 / 4294967296))
    base=${base:-$ms}
    echo "$((ms - base)) $id $value"
  done <"$W/dump"
}
count_of() { awk -v id="$1" -v v="$2" '$2 == id && $3 >= v { n++ } END { print n + 0 }' < <(received); }

oscdump -L 9000 >>"$W/dump" &  # appends: the file is emptied between runs
PIDS+=($!)
MAP=(--send 9000 --map 2=0.05:0.2,gain=1,attack=40,release=200 --map 0=0.6:0.9,gain=1)
# oscdump is up once it takes messages: the tool's first ones may be lost.
start_tool --file "$W/60.wav" "${MAP[@]}"
rose() { [ "$(count_of 2 20000)" -gt 0 ]; }
wait_for 15 rose || fail "input 2 never rose with a 60 Hz tone: $(received | tail -3)"
stop_tool
echo "ok: a 60 Hz tone drives input 2 to $(received | awk '$2 == 2 { print $3 }' | sort -n | tail -1)"
# Live: the tone played into the sink, recorded from its monitor through the
# driver menus ("pulse" both times, keys piped in).
: >"$W/dump"
"$TOOL" </dev/null >"$W/menu" 2>&1 || true
n=$(grep -x "[0-9]* : pulse" "$W/menu" | head -1 | cut -d' ' -f1)
[ -n "$n" ] || fail "no pulse driver in the menu: $(cat "$W/menu")"
paplay --device=test "$W/60.wav" &
TONE=$!
PIDS+=("$TONE")
KEY=$(printf "\\$(printf %o $((48 + n)))")
printf '%s%s' "$KEY" "$KEY" >"$W/keys"
KEYS=$W/keys start_tool "${MAP[@]}"
wait_for 15 rose || fail "live input: input 2 never rose: $(received | tail -2)"
stop_tool
kill "$TONE"
echo "ok: live input through the driver menus drives input 2 as well"
: >"$W/dump"
start_tool --file "$W/silent.wav" "${MAP[@]}"
two_seconds_sent() { [ "$(count_of 2 0)" -ge 100 ]; }
wait_for 15 two_seconds_sent || fail "too few messages with a silent file"
stop_tool
[ "$(count_of 2 31)" -eq 0 ] && [ "$(count_of 0 31)" -eq 0 ] || fail "silence sent more than 30: $(received | sort -k3 -n | tail -1)"
echo "ok: a silent file keeps inputs 2 and 0 at $(received | sort -k3 -n | tail -1 | cut -d' ' -f3) at most"

# In range, and per ID no more than 50 a second over the run. Counted from
# first to last arrival, since a loaded receiver may take several at once.
received | awk '$3 < 0 || $3 > 32765 { print "out of range: " $0; bad = 1 }
  { if (!($2 in first)) first[$2] = $1; last[$2] = $1; n[$2]++ }
  END { for (id in n) if (n[id] > 50 * (last[id] - first[id]) / 1000 + 2) {
          print "input " id ": " n[id] " messages in " last[id] - first[id] " ms"; bad = 1 }
        exit bad }' || fail "values out of range or too fast"
echo "ok: values in 0..32765, at most 50 a second per input"

two_seconds_drawn() { [ "$(grep -c "Sending to" "$W/out")" -ge 100 ]; }
# Nobody listening, no route: one line each, and the meter keeps drawing.
for c in "9001|127.0.0.1:9001: Connection refused" "10.1.2.3:9001|10.1.2.3:9001: Network is unreachable"; do
  start_tool --file "$W/silent.wav" --send "${c%%|*}"
  wait_for 15 two_seconds_drawn || fail "the meter stopped: $(cat "$W/err")"
  stop_tool
  [ "$(cat "$W/err")" == "Couldn't send OSC to ${c#*|}; sending goes on" ] ||
    fail "send failure: $(cat "$W/err")"
done
echo "ok: a send failure is reported once and sending goes on"

# The real show: the default mapping turns its sky from light blue toward yellow.
"$BIN" >"$W/show.out" 2>&1 &
SHOW=$!
PIDS+=("$SHOW")
wait_show_ready "$W/show.out" || fail "no show window"
# The sky's colour: the commonest in the top 120 rows of a screenshot, "R G B".
sky() {
  screenshot "$W/shot.png"
  convert "$W/shot.png" -crop 800x120+0+0 +repage -format %c histogram:info:- |
    sort -rn | head -1 | sed -E 's/^ *[0-9]+: \(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}
sky_blue() { screenshot "$W/shot.png" && sky_is "$W/shot.png" "$SKY_BLUE"; }
sky_yellowish() { read -r r g b < <(sky); [ "$r" -ge 235 ] && [ "$g" -ge 225 ] && [ "$b" -le 160 ]; }
wait_for --every 0.5 40 sky_blue || fail "the sky was not light blue before the tone: $(sky)"
start_tool --file "$W/60.wav" --send
wait_for --every 0.5 40 sky_yellowish || fail "the sky did not turn toward yellow: $(sky)"
echo "ok: a bass tone turns the show's sky to $(sky) (screenshot in $BUILD/audio_send_sky.png)"
cp "$W/shot.png" "$BUILD/audio_send_sky.png"
stop_tool
hold_escape
rc=0
wait $SHOW || rc=$?
[ "$rc" -eq 0 ] || fail "the show exited with $rc"
