#!/usr/bin/env bash
# The console never stalls control. With standard output a pipe that is never
# read, or one whose reader has gone, a flood of status lines does not keep
# the show from applying input 2 (its sky turns yellow), Escape still ends it
# with 0 (within 5 s: the show's own pause at exit is half a second, and a
# loaded machine draws slowly) and the port is free afterwards. With a reader that
# pauses and resumes, the lines the console could not take are replaced by
# one line saying how many were dropped; all the others arrive whole and in
# order, the start-up lines first.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
source "$(dirname "$0")/lib/e2e.sh"
own_display
make_work_dir

# 30000 status lines (input 5 set to 1..30000, about 1.3 MB: more than a
# pipe and the console's queue hold), 50 us apart as oscsendfile replays them.
N=30000
awk -v n=$N 'BEGIN { for (i = 1; i <= n; i++) { t = i * 214748; printf "%08x.%08x /driftmeadow ii 5 %d\n",
  1 + int(t / 4294967296), t % 4294967296, i } }' >"$work/flood.txt"

run() {
  bin=$1 work=$2 N=$3 mode=$4
  send() { oscsend 127.0.0.1 55550 /driftmeadow ii "$1" "$2"; }
  mkfifo "$work/console"
  case $mode in
    unread) exec 3<>"$work/console" ;;  # held open, never read
    closed) head -c 1 "$work/console" >/dev/null & reader=$! ;;
    paused) cat "$work/console" >"$work/out" & reader=$! ;;
  esac
  "$bin" >"$work/console" 2>"$work/err" &
  show=$!
  gone() { ! kill -0 "$1" 2>/dev/null; }
  wait_for 20 show_window_open
  case $mode in
    closed) wait_for 10 gone $reader ;;
    paused)
      wait_show_ready "$work/out"
      kill -STOP $reader ;;
  esac
  oscsendfile 127.0.0.1 55550 "$work/flood.txt"
  send 2 32765
  # Input 2, sent after the flood, turns the sky yellow (polled for at most 40 s).
  wait_for --every 0.5 40 screen_sky_is "$SKY_YELLOW" || {
    echo "FAIL ($mode): input 2 was not applied after the flood ($(head -c 4000 "$work/err"))"
    kill -9 $show 2>/dev/null; [ "$mode" = unread ] || kill -9 $reader 2>/dev/null; return 1; }
  if [ "$mode" = paused ]; then
    kill -CONT $reader
    # Once the console has caught up it says what it dropped.
    wait_for 10 grep -q 'Console output fell behind' "$work/out"
    for v in 1 2 3; do send 7 $v; done
    wait_for 10 grep -q $'ID: 7\tval: 3 ' "$work/out"
  fi
  xdotool key Escape
  wait_for 5 gone $show
  kill -0 $show 2>/dev/null && { echo "FAIL ($mode): Escape did not end the show within 5 s (it hung for ever before)"; kill -9 $show; return 1; }
  wait $show
  rc=$?
  [ $rc -eq 0 ] || { echo "FAIL ($mode): exit code $rc, expected 0 ($(cat "$work/err"))"; return 1; }
  oscdump -L 55550 >"$work/dump" 2>&1 &
  dumped() { send 1 1; grep -q /driftmeadow "$work/dump"; }
  wait_for 5 dumped
  kill $!
  grep -q /driftmeadow "$work/dump" || { echo "FAIL ($mode): port 55550 not free after the exit"; return 1; }
  exec 3>&-
  [ "$mode" = paused ] && wait $reader
  return 0
}

for mode in unread closed paused; do
  rm -f "$work/console"
  in_private_net run "$BIN" "$work" $N $mode ||
    fail "standard output $mode"
  echo "ok: with standard output $mode, input 2 is applied after a flood and Escape exits with 0 within 5 s"
done

# The paused reader's copy: the start-up lines, then input 5 from 1 to k, one
# line for the N - k + 1 lines dropped (the rest of the flood and input 2),
# and input 7 from 1 to 3.
first=$(grep -abo inputValue "$work/out" | head -1 | cut -d: -f1)
head -c "${first:-0}" "$work/out" | tail -1 | grep -qx 'Image: Loaded file "images/cloudz/cloud06.bmp", 24 bpp' ||
  fail "paused reader: the start-up lines do not all come before the first status line"
tail -c +$((first + 1)) "$work/out" >"$work/got"
k=$(tr '\r' '\n' <"$work/got" | grep -c $'^inputValue:  ID: 5\t')
B='                 '
{
  awk -v k="$k" -v b="$B" 'BEGIN { for (i = 1; i <= k; i++) printf "inputValue:  ID: 5\tval: %d%s\r", i, b }'
  echo "Console output fell behind: $((N - k + 1)) lines dropped"
  for v in 1 2 3; do printf 'inputValue:  ID: 7\tval: %d%s\r' $v "$B"; done
} >"$work/expected"
cmp -s "$work/got" "$work/expected" && [ "$k" -gt 0 ] && [ "$k" -lt $N ] ||
  fail "paused reader: after the start-up lines got $(tr '\r' '\n' <"$work/got" | cut -c1-30 | uniq -c | tail -6)"
echo "ok: a reader that pauses gets input 5 from 1 to $k in order, one line for the $((N - k + 1)) dropped, then what followed"
