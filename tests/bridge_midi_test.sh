#!/usr/bin/env bash
# driftmeadow-control's MIDI over a private JACK server, with liblo's
# oscdump as the show in a private network: every message kind is mirrored
# with the show's channels and mapped; a controller that goes away is said
# once and taken again by name when it is back; a JACK server that goes away
# likewise; a show that is not running is one line on standard error; the
# bridge goes on through all of it, and Ctrl-C ends it with exit code 0.
set -uo pipefail
BUILD=${2:?build directory}
TOOL=$BUILD/driftmeadow-control
source tests/lib/e2e.sh
source tests/lib/jack.sh
if [ -z "${IN_PRIVATE_NET:-}" ]; then
  start_private_jack || fail "no JACK server"
  exec unshare --net env IN_PRIVATE_NET=1 JACK_PID="$JACK_PID" JACK_NAME="$JACK_NAME" \
    bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
on_exit stop_private_jack
make_work_dir

oscdump -L 55550 >"$work/show" &
on_exit "kill $! 2>/dev/null"
# Nobody listens on 9300: a show that is not running.
"$TOOL" --midi ctl --send 55550 --send 9300 --learn --map 2=midi:cc:3:74 --map 5=midi:note:1:60 \
  --map 6=midi:bend:1,min=1000,max=2000 >"$work/out" 2>"$work/err" &
BRIDGE=$!
on_exit "kill $BRIDGE 2>/dev/null"
said() { grep -qxF "$1" "$work/out"; }
wait_for 10 said "MIDI in: no port named like 'ctl' yet (JACK); it is taken when it appears" ||
  fail "no waiting line: $(cat "$work/out" "$work/err")"

# controller NAME: a MIDI peer that keeps its port while its input stays
# open; `echo BYTES >&"$CTL_OUT"` sends.
controller() {
  coproc CTL { /usr/bin/python3 tests/lib/midi_send.py "$1" - --hold 2>>"$work/peer.err"; }
  CTL_OUT=${CTL[1]}
}
unplug() {
  eval "exec $CTL_OUT>&-"
  wait "$CTL_PID" 2>/dev/null
}
shown() { grep -qF "$1" "$work/show"; }
taken() { [ "$(grep -cxF "MIDI in: 'Ctl:out' (JACK)" "$work/out")" -eq "$1" ]; }
controller Ctl
wait_for 10 said "MIDI in: 'Ctl:out' (JACK)" || fail "the port was not taken: $(cat "$work/out")"
echo "0xB2 74 127 / 0x90 60 100 / 0x80 60 0 / 0xE0 0x7F 0x7F / 0xF8 / 0xF0 1 2 0xF7" >&"$CTL_OUT"
for line in "/CTL iii 2 74 127" "/driftmeadow ii 2 32765" "/NOTE iii 0 60 100" "/NOTE iii 0 60 0" \
            "/driftmeadow ii 5 0" "/BEND ii 0 16383" "/driftmeadow ii 6 2000"; do
  wait_for 5 shown "$line" || fail "the show never got '$line': $(cat "$work/show" "$work/out" "$work/err")"
done
echo "ok: CC, Note On, Note Off and Pitch Bend are mirrored with channels 0 to 15 and mapped; clock and SysEx passed over"
for line in "cc 3:74 moved: --map ID=midi:cc:3:74" "note 1:60 moved: --map ID=midi:note:1:60" \
            "bend 1 moved: --map ID=midi:bend:1"; do
  said "$line" || fail "--learn did not print '$line': $(cat "$work/out")"
done
echo "ok: --learn prints the mapping for each control moved"

unplug
wait_for 10 said "MIDI in: 'Ctl:out' is gone; it is taken again when it comes back" || fail "no line for the port gone"
controller Ctl
wait_for 10 taken 2 || fail "the port was not taken again"
echo "0xB2 74 64" >&"$CTL_OUT"
wait_for 5 shown "/CTL iii 2 74 64" || fail "no MIDI after the port came back"
echo "ok: a controller unplugged is said once and taken again by name"

kill "$JACK_PID"
wait "$JACK_PID" 2>/dev/null
wait_for 10 said "MIDI in: the JACK server is gone; MIDI goes on when it is back" || fail "no line for JACK gone"
unplug
rm -f /dev/shm/jack_"$JACK_NAME"_* /dev/shm/jack_sem.*_"$JACK_NAME"_*
jackd -n "$JACK_NAME" --no-realtime -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
JACK_PID=$!
wait_for 10 said "MIDI in: the JACK server is back" || fail "no line for JACK back: $(cat "$work/out")"
controller Ctl
wait_for 10 taken 3 || fail "no port after JACK came back"
echo "0xB2 74 1" >&"$CTL_OUT"
wait_for 5 shown "/CTL iii 2 74 1" || fail "no MIDI after JACK came back"
echo "ok: a JACK server that goes away is said once, and MIDI goes on when it is back"

kill -INT $BRIDGE
rc=0
wait $BRIDGE || rc=$?
[ "$rc" -eq 0 ] || fail "Ctrl-C: exit code $rc"
[ "$(cat "$work/err")" = "Couldn't send OSC to 127.0.0.1:9300: Connection refused; sending goes on" ] ||
  fail "standard error: $(cat "$work/err")"
echo "ok: a show not running is one line on standard error; Ctrl-C ends the bridge with exit code 0"
