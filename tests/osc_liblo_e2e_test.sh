#!/usr/bin/env bash
# The real show steered by liblo's tools (an independent OSC client) in a
# private network: the four messages, a bundle and wrong types print their
# exact lines, which reach standard output while the show runs, be it a file
# or a pipe. With the port held elsewhere the show names it and exits with 2.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
source "$(dirname "$0")/lib/e2e.sh"
own_display
make_work_dir

B='                 ' b='        '  # 17 and 8 blanks
printf '%s' "inputValue:  ID: 2	val: 32765$B"$'\r' "CTL:  ch: 0	id: 7	val: 64$b"$'\r' \
  "NOTE: ch: 1	num: 60	vel: 100$b"$'\r' "BEND: ch: 0	val: 12288$b"$'\r' \
  $'error while parsing message: /CTL: wrong argument type\n' \
  $'error while parsing message: /driftmeadow: wrong argument type\n' \
  $'error while parsing message: /BEND: too many arguments\n' \
  $'error while parsing message: /NOTE: missing argument\n' \
  $'error while parsing message: /CTL: argument out of range\n' \
  "CTL:  ch: 0	id: 7	val: 127$b"$'\r' "NOTE: ch: 1	num: 61	vel: 90$b"$'\r' \
  "inputValue:  ID: 3	val: 1$B"$'\r' >"$work/expected"
printf '00000000.00000001 /CTL iii 0 7 127\n00000000.00000001 /NOTE iii 1 61 90\n' >"$work/bundle.txt"

# steer BIN WORK MODE: the show with its standard output as a file or a pipe
# into WORK/out; what it prints for the messages below lands in WORK/got.
steer() {
  bin=$1 work=$2 out=$2/out
  : >"$out"
  if [ "$3" = pipe ]; then timeout 30 "$bin" > >(cat >"$out") 2>"$work/err" &
  else timeout 30 "$bin" >"$out" 2>"$work/err" &
  fi
  show=$!
  send() { oscsend 127.0.0.1 55550 "$@"; }
  # Once the show is ready, probes of input 9 carry a fresh value each, and
  # the echo of the latest one means every earlier datagram has been taken
  # and echoed too; while it is missing, a new probe goes out.
  probes=0
  latest_probe_echoed() {
    [ $probes -gt 0 ] && grep -q "ID: 9	val: $probes " "$out" && return 0
    probes=$((probes + 1))
    send /driftmeadow ii 9 $probes
    return 1
  }
  wait_show_ready "$out"
  wait_for 20 latest_probe_echoed
  start=$(stat -c %s "$out")
  send /driftmeadow ii 2 32765; send /CTL iii 0 7 64; send /NOTE iii 1 60 100; send /BEND ii 0 12288
  send /CTL iif 0 7 1.5; send /driftmeadow hi 2 5; send /BEND iis 0 1 x; send /NOTE; send /CTL iii 16 0 1
  send /ctl iii 0 7 1; send /CTL/1 iii 0 7 1
  oscsendfile 127.0.0.1 55550 "$work/bundle.txt"
  send /driftmeadow ii 3 1
  last_echoed() { tail -c 60 "$out" | grep -q "ID: 3"; }
  wait_for 20 last_echoed
  tail -c +$((start + 1)) "$out" >"$work/got"
  kill -TERM $show; wait $show
}

for mode in file pipe; do
  in_private_net steer "$BIN" "$work" "$mode"
  cmp -s "$work/expected" "$work/got" ||
    fail "stdout as a $mode: lines differ: $(diff <(od -c "$work/expected") <(od -c "$work/got") | head -20)"
  echo "ok: with standard output as a $mode, each message's exact line arrives while the show runs"
done

# port_held BIN WORK: the show started while oscdump holds its port.
port_held() {
  local bin=$1 work=$2
  oscdump -L 55550 >"$work/held" 2>&1 &
  holding() { oscsend 127.0.0.1 55550 /held; grep -q /held "$work/held"; }
  wait_for 5 holding
  timeout 20 "$bin" >"$work/out" 2>"$work/err"
  echo $? >"$work/rc"
  kill $!
}
in_private_net port_held "$BIN" "$work"
[ "$(cat "$work/rc")" -eq 2 ] || fail "port held: exit code $(cat "$work/rc"), expected 2"
[ "$(cat "$work/err")" = "Couldn't listen for OSC on UDP port 55550: unable to bind udp socket" ] &&
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "port held: standard error was: $(cat "$work/err")"
[ ! -s "$work/out" ] || fail "port held: the show wrote to standard output (it got further than the port)"
echo "ok: with the port held by another program the show names it on standard error and exits with 2"
