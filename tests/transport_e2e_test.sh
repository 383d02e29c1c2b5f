#!/usr/bin/env bash
# The transport from outside, recorded as a take: `seek 425` (held by a short
# loop) darkens the sky to half and `seek 10` brings it back; a loop round the
# start of the fade keeps the sky from fading while it passes the loop's end
# several times; the console shows each message's status line; the take
# renders offline with the same looks at the same times. Then a take on a full
# disk stops with one line, keeps whole lines only, and the show stays
# steerable.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
source "$(dirname "$0")/lib/e2e.sh"
own_display || fail "no display"
make_work_dir

# sky_blue_channel PNG [GEOMETRY]: the blue of the most common colour of the
# sky band (the top 40 rows of an 800-wide picture unless given).
sky_blue_channel() {
  convert "$1" -crop "${2:-800x40+0+0}" +repage -format %c histogram:info:- | sort -nr | head -1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+)[,)].*/\3/'
}
# The sky of no input is 204,217,255: half of it has a blue of 127 or 128.
sky_is_half() { screenshot "$work/shot.png" && b=$(sky_blue_channel "$work/shot.png") && [ "$b" -ge 124 ] && [ "$b" -le 131 ]; }
console_has() { grep -qF "$(printf '%s' "$1")" "$work/out"; }

start_show "$work/out" --record "$work/take.osc"
wait_show_ready "$work/out" || fail "the show did not start: $(cat "$work/out.err")"

to_show /driftmeadow/seek i 425
to_show /driftmeadow/loop ff 425 425.01
wait_for 20 sky_is_half || fail "after seek 425 the sky's blue is $b, not half of 255"
to_show /driftmeadow/seek f 10
wait_for 20 screen_sky_is "$SKY_BLUE" || fail "after seek 10 the sky is not back"
echo "ok: seek 425 darkens the sky to half (blue $b), seek 10 brings it back"

# Frame time 419.5 to 420.5 again and again: the fade never passes 5 %
# (without the loop it would be at a third after these 4 s).
to_show /driftmeadow/seek f 419.5
to_show /driftmeadow/loop ff 419.5 420.5
wait_for 20 console_has $'LOOP: from: 419.500\tto: 420.500        \r' || fail "no status line for the loop"
darkest=255
end=$((SECONDS + 4))
while [ $SECONDS -lt $end ]; do
  screenshot "$work/shot.png"
  b=$(sky_blue_channel "$work/shot.png")
  [ "$b" -lt "$darkest" ] && darkest=$b
done
[ "$darkest" -ge 235 ] || fail "with the loop 419.5 to 420.5 the sky's blue went down to $darkest"
to_show /driftmeadow/loop ii 0 0
to_show /driftmeadow/seek f -1
wait_for 20 console_has $'LOOP: off        \r' || fail "no status line for the end of the loop"
wait_for 20 console_has $'error while parsing message: /driftmeadow/seek: a time must be a finite number of seconds, 0 or more\n' ||
  fail "no error line for seek -1"
echo "ok: a loop from 419.5 to 420.5 s held for 4 s keeps the sky from fading (darkest blue $darkest)"
end_show
[ "$rc" -eq 0 ] || fail "exit code $rc"

for line in $'SEEK: to: 425.000        \r' $'LOOP: from: 425.000\tto: 425.010        \r' \
  $'SEEK: to: 10.000        \r' $'SEEK: to: 419.500        \r'; do
  console_has "$line" || fail "no status line '$line'"
done
echo "ok: every transport message printed its status line"

# The take: the origin line, then each applied message, in order.
grep -Eq '^[0-9a-f]{8}\.[0-9a-f]{8} /driftmeadow/origin $' <(head -1 "$work/take.osc") ||
  fail "the take does not begin with its origin: $(head -1 "$work/take.osc")"
[ "$(cut -d' ' -f2- "$work/take.osc" | tail -n +2)" = "/driftmeadow/seek i 425
/driftmeadow/loop ff 425.000000 425.010010
/driftmeadow/seek f 10.000000
/driftmeadow/seek f 419.500000
/driftmeadow/loop ff 419.500000 420.500000
/driftmeadow/loop ii 0 0" ] || fail "the take holds: $(cat "$work/take.osc")"
sort -c "$work/take.osc" || fail "the take's times are not in order"

# Time of line N of the take after its origin, in tenths of a second.
tenths() {
  local tag0 tag
  tag0=$(head -1 "$work/take.osc" | cut -c1-17)
  tag=$(sed -n "${1}p" "$work/take.osc" | cut -c1-17)
  echo $(((((16#${tag%.*} - 16#${tag0%.*}) << 32) + 16#${tag#*.} - 16#${tag0#*.}) * 10 >> 32))
}
env -u DISPLAY "$BUILD/driftmeadow-render" --osc "$work/take.osc" --to "$(($(tenths 7) / 10 + 3))" --fps 10 \
  --size 160x120 --out "$work/frames" >/dev/null 2>"$work/render.err" || fail "the take did not render: $(cat "$work/render.err")"
[ ! -s "$work/render.err" ] || fail "the renderer reported: $(cat "$work/render.err")"
frame() { printf '%s/frames/%05d.png' "$work" "$1"; }
half=$(sky_blue_channel "$(frame $(($(tenths 4) - 1)))" 160x8+0+0)
back=$(sky_blue_channel "$(frame $(($(tenths 4) + 2)))" 160x8+0+0)
looped=$(sky_blue_channel "$(frame $(($(tenths 6) + 25)))" 160x8+0+0)
[ "$half" -ge 124 ] && [ "$half" -le 131 ] && [ "$back" -eq 255 ] && [ "$looped" -ge 235 ] ||
  fail "the rendered take's sky: blue $half before seek 10, $back after it, $looped 2.5 s into the loop"
echo "ok: the take renders offline with the same looks at the same times (blue $half, $back, $looped)"

# A take on a disk with one page left: the writer stops with one line once
# it is full, the file ends in a whole line, and control goes on.
mkdir "$work/disk"
unshare --mount --net bash -c 'mount -t tmpfs -o size=8k tmpfs "$1" && head -c 4096 /dev/zero >"$1/fill" &&
  ip link set lo up && shift && exec "$@"' _ "$work/disk" timeout 120 "$BIN" --record "$work/disk/take.osc" \
  >"$work/out" 2>"$work/out.err" &
show=$!
on_exit "kill $show 2>/dev/null"
wait_show_ready "$work/out" || fail "the show on a full disk did not start: $(cat "$work/out.err")"
# A millisecond apart: oscsendfile sends the messages of one time as one bundle.
for i in $(seq 1 300); do printf '00000000.%08x /driftmeadow ii 9 %d\n' $((i * 4294967)) $i; done >"$work/many.osc"
nsenter -t "$show" -n oscsendfile 127.0.0.1 55550 "$work/many.osc"
stopped="Recording to $work/disk/take.osc stopped: No space left on device; the take holds what came before"
wait_for 20 grep -qxF "$stopped" "$work/out.err" || fail "no stop line: $(cat "$work/out.err")"
to_show /driftmeadow ii 2 32765
wait_for 20 screen_sky_is "$SKY_YELLOW" || fail "after the take stopped the show is not steered"
nsenter -t "$show" -m cp "$work/disk/take.osc" "$work/kept.osc"
end_show
[ "$rc" -eq 0 ] && [ "$(wc -l <"$work/out.err")" -eq 1 ] || fail "exit code $rc, standard error: $(cat "$work/out.err")"
lines=$(wc -l <"$work/kept.osc")
[ "$(tail -c 1 "$work/kept.osc" | od -An -c | tr -d ' ')" = '\n' ] &&
  [ "$(grep -cE '^[0-9a-f]{8}\.[0-9a-f]{8} /driftmeadow ii 9 [0-9]+$' "$work/kept.osc")" -eq $((lines - 1)) ] ||
  fail "the take on the full disk is not whole lines: $(tail -c 80 "$work/kept.osc" | od -c | tail -3)"
echo "ok: a take on a full disk stops with one line after $((lines - 1)) whole messages, and the show stays steerable"
