#!/usr/bin/env bash
# The real show steered by liblo's tools (an independent OSC client) in a
# private network: the four messages, a bundle and wrong types print their
# exact lines, which reach standard output while the show runs, be it a file
# or a pipe. With the port held elsewhere the show names it and exits with 2.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
source "$(dirname "$0")/lib/e2e.sh"
own_display
work=$(mktemp -d)
trap 'rm -rf "$work"; kill $XVFB_PID 2>/dev/null' EXIT

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

for mode in file pipe; do
  in_private_net bash -c '
    bin=$1 work=$2 out=$2/out
    : >"$out"
    if [ "$3" = pipe ]; then timeout 30 "$bin" > >(cat >"$out") 2>"$work/err" &
    else timeout 30 "$bin" >"$out" 2>"$work/err" &
    fi
    show=$!
    send() { oscsend 127.0.0.1 55550 "$@"; }
    # Start-up ends with the load line of the last picture; after it, probes of
    # input 9 carry a fresh value each, and the echo of the latest one means
    # every earlier datagram has been taken and echoed too.
    for _ in $(seq 1 400); do grep -q "cloud06.bmp" "$out" && break; sleep 0.05; done
    for i in $(seq 1 200); do
      send /driftmeadow ii 9 $i
      for _ in 1 2 3 4 5; do grep -q "ID: 9	val: $i " "$out" && break 2; sleep 0.02; done
    done
    start=$(stat -c %s "$out")
    send /driftmeadow ii 2 32765; send /CTL iii 0 7 64; send /NOTE iii 1 60 100; send /BEND ii 0 12288
    send /CTL iif 0 7 1.5; send /driftmeadow hi 2 5; send /BEND iis 0 1 x; send /NOTE; send /CTL iii 16 0 1
    send /ctl iii 0 7 1; send /CTL/1 iii 0 7 1
    oscsendfile 127.0.0.1 55550 "$work/bundle.txt"
    send /driftmeadow ii 3 1
    for _ in $(seq 1 400); do tail -c 60 "$out" | grep -q "ID: 3" && break; sleep 0.05; done
    tail -c +$((start + 1)) "$out" >"$work/got"
    kill -TERM $show; wait $show
  ' _ "$BIN" "$work" "$mode"
  cmp -s "$work/expected" "$work/got" ||
    fail "stdout as a $mode: lines differ: $(diff <(od -c "$work/expected") <(od -c "$work/got") | head -20)"
  echo "ok: with standard output as a $mode, each message's exact line arrives while the show runs"
done

in_private_net bash -c '
  oscdump -L 55550 >"$2/held" 2>&1 &
  for _ in $(seq 1 100); do oscsend 127.0.0.1 55550 /held; grep -q /held "$2/held" && break; sleep 0.05; done
  timeout 20 "$1" >"$2/out" 2>"$2/err"
  echo $? >"$2/rc"
  kill $!
' _ "$BIN" "$work"
[ "$(cat "$work/rc")" -eq 2 ] || fail "port held: exit code $(cat "$work/rc"), expected 2"
[ "$(cat "$work/err")" = "Couldn't listen for OSC on UDP port 55550: unable to bind udp socket" ] &&
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "port held: standard error was: $(cat "$work/err")"
[ ! -s "$work/out" ] || fail "port held: the show wrote to standard output (it got further than the port)"
echo "ok: with the port held by another program the show names it on standard error and exits with 2"
