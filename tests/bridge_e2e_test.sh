#!/usr/bin/env bash
# driftmeadow-control between independent peers and the real show, which
# runs on a display of its own in a private network with the bridge: a
# Control Change from python3-rtmidi on a private JACK server, mapped to
# input 2, turns the sky yellow and its mirrored /CTL line shows in the
# show's console; an OSC app's float at /1/fader1 does the same; an app that
# sent from a port gets the feedback there (liblo's oscdump); Ctrl-C ends
# the bridge with exit code 0. The options:
# --help, bad mappings and ALSA's refusal are one line and exit code 2.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
TOOL=$BUILD/driftmeadow-control
source tests/lib/e2e.sh
source tests/lib/jack.sh
# The display and the JACK server are started outside the private network
# (both are reached through socket files); the rest runs inside it.
if [ -z "${IN_PRIVATE_NET:-}" ]; then
  own_display
  start_private_jack || fail "no JACK server"
  exec unshare --net env IN_PRIVATE_NET=1 XVFB_PID="$XVFB_PID" JACK_PID="$JACK_PID" JACK_NAME="$JACK_NAME" \
    bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
on_exit "kill $XVFB_PID 2>/dev/null"
on_exit stop_private_jack
make_work_dir
midi() { /usr/bin/python3 tests/lib/midi_send.py "$@"; }

# Options: each unsound one is one line and exit code 2.
"$TOOL" --help >"$work/help" || fail "--help exited with $?"
grep -q "MIDI channels are counted 1 to 16" "$work/help" && grep -q "2=midi:cc:1:1 2=midi:cc:1:7" "$work/help" ||
  fail "--help lacks the channel count or the defaults"
check_refused() {  # EXPECTED-LINE ARGS...
  local expected=$1 rc=0
  shift
  "$TOOL" "$@" >/dev/null 2>"$work/err" </dev/null || rc=$?
  [ "$rc" -eq 2 ] && [ "$(cat "$work/err")" = "$expected" ] || fail "$*: exit $rc, '$(cat "$work/err")'"
}
check_refused "driftmeadow-control: --map: '2=midi:cc:0:1': MIDI channels are counted 1 to 16 (see --help)" \
  --map 2=midi:cc:0:1
check_refused "driftmeadow-control: --map: '300=osc:/a': the input ID must be a whole number from 0 to 255 (see --help)" \
  --map 300=osc:/a
check_refused "driftmeadow-control: no ALSA sequencer on this machine (/dev/snd/seq: No such file or directory); --midi-api jack takes MIDI through a JACK server" \
  --midi-api alsa
JACK_DEFAULT_SERVER=none$$ check_refused \
  "driftmeadow-control: no MIDI system: neither an ALSA sequencer (/dev/snd/seq) nor a running JACK server"
echo "ok: --help, a bad mapping, ALSA's refusal and no MIDI system: one line each, exit code 2"

"$BIN" >"$work/show" 2>"$work/show.err" &
SHOW=$!
on_exit "kill $SHOW 2>/dev/null"
"$TOOL" --midi --osc-in 9000 --map 2=midi:cc:1:74 --map 2=osc:/1/fader1 --map 0=osc:/1/fader2 >"$work/out" 2>"$work/err" &
BRIDGE=$!
on_exit "kill $BRIDGE 2>/dev/null"
wait_for 10 grep -q "is running" "$work/out" || fail "the bridge did not start: $(cat "$work/out" "$work/err")"
wait_show_ready "$work/show" || fail "the show did not start: $(cat "$work/show.err")"
wait_for 40 screen_sky_is "$SKY_BLUE" "$SKY_YELLOW" "$SKY_GREY" || fail "the sky was not blue at first"

# An app heard from port 9201 (a float at an unmapped address), then
# listening there with oscdump.
/usr/bin/python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 9201))
s.sendto(b"/hello\0\0,f\0\0\0\0\0\0", ("127.0.0.1", 9000))'
oscdump -L 9201 >"$work/feedback" &
on_exit "kill $! 2>/dev/null"
probe() { oscsend 127.0.0.1 9201 /probe; grep -q /probe "$work/feedback"; }
wait_for 10 probe || fail "oscdump did not start"

midi ctl driftmeadow:driftmeadow "0xB0 74 127"
wait_for 40 screen_sky_is "$SKY_YELLOW" "$SKY_BLUE" "$SKY_GREY" || fail "a CC did not turn the sky yellow"
grep -qF "CTL:  ch: 0	id: 74	val: 127" "$work/show" || fail "no mirrored /CTL line in the show's console"
echo "ok: CC 74 on MIDI channel 1, mapped to input 2, turns the sky yellow; the show printed the mirrored /CTL"
wait_for 5 grep -q "/1/fader1 f 1.000000" "$work/feedback" || fail "no feedback: $(cat "$work/feedback")"
echo "ok: an OSC app heard from is sent /1/fader1 1.0 on its own port"

# Back to grey first (the show's blue returns only slowly): input 2 at 0
# and a quarter of input 0, then /1/fader1 alone.
midi ctl driftmeadow:driftmeadow "0xB0 74 0"
oscsend 127.0.0.1 9000 /1/fader2 f 0.25
wait_for 40 screen_sky_is "$SKY_GREY" "$SKY_BLUE" "$SKY_YELLOW" || fail "input 0 from /1/fader2 did not turn the sky grey"
oscsend 127.0.0.1 9000 /1/fader2 f 0
oscsend 127.0.0.1 9000 /1/fader1 f 1.0
wait_for 40 screen_sky_is "$SKY_YELLOW" "$SKY_BLUE" "$SKY_GREY" || fail "/1/fader1 1.0 did not turn the sky yellow"
echo "ok: /1/fader1 at 1.0 from an OSC app turns the sky yellow"

kill -INT $BRIDGE
rc=0
wait $BRIDGE || rc=$?
[ "$rc" -eq 0 ] || fail "Ctrl-C: the bridge exited with $rc"
[ ! -s "$work/err" ] || fail "the bridge wrote to standard error: $(cat "$work/err")"
hold_escape
wait $SHOW || fail "the show exited with $?"
echo "ok: Ctrl-C ends the bridge with exit code 0, nothing on standard error"
