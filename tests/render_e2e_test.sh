#!/usr/bin/env bash
# driftmeadow-render from outside, with no display at all: --help and bad
# options, a recorded performance steering the landscape (and a line it cannot
# read), the same render twice and a render that starts later giving the same
# bytes, the fade at 425 s, the tiled disc with its picture and the flip-book
# in its order, and the progress bar only on a terminal.
set -uo pipefail
BUILD=${2:?build directory}
R="$BUILD/driftmeadow-render"
source "$(dirname "$0")/lib/e2e.sh"
make_work_dir
on_exit 'tmux -L "render-e2e-$$" kill-server 2>/dev/null'
unset DISPLAY

# render NAME ARGS...: renders into $work/NAME; output in NAME.out/.err, code in $rc.
render() {
  local name=$1
  shift
  timeout 240 "$R" --out "$work/$name" "$@" >"$work/$name.out" 2>"$work/$name.err"
  rc=$?
}
# The most common colour of a band of rows (Y0, HEIGHT) of a frame, as "r,g,b".
band_colour() {
  convert "$1" -crop "x$3+0+$2" +repage -format %c histogram:info:- | sort -nr | head -1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+)[,)].*/\1,\2,\3/'
}

"$R" --help >"$work/help" 2>&1 || fail "--help exit code $?"
for o in "--scene TEXT:{landscape,disc,sequence}=landscape" "--from FLOAT=0" "--fps FLOAT=30" \
  "--size TEXT=800x600" "--texture TEXT=images/floor01.jpg" --to --out --osc --frames --count; do
  grep -qF -- "$o" "$work/help" || fail "--help does not list $o"
done
echo "ok: --help lists every option with its default"

touch "$work/afile"
while IFS='|' read -r args says; do
  eval "render bad $args"
  [ "$rc" -eq 2 ] && [ "$(wc -l <"$work/bad.err")" -eq 1 ] && grep -qF -- "$says" "$work/bad.err" ||
    fail "$args: exit code $rc, standard error '$(cat "$work/bad.err")'"
  [ ! -s "$work/bad.out" ] && [ -z "$(ls "$work/bad" 2>/dev/null | grep png)" ] || fail "$args drew something"
done <<CASES
--scene nope|--scene
--fps 0|--fps
--size 800by600|--size
--from 2 --to 1|--to
--bogus|--bogus
--count 3|--count
--osc "$work/missing.osc"|missing.osc
--scene disc --texture "$work/missing.png"|missing.png
--scene sequence --count 3|--frames
--out "$work/afile/frames"|afile is not a folder
--out /proc/self|cannot write in the folder /proc/self
CASES
echo "ok: bad options, a missing recording and unwritable folders: one line, exit code 2, nothing drawn"

# Input 2 at full from the start, a line that cannot be read, input 0 (the
# shake) from 0.3 s, input 2 back to 0 from 0.6 s.
cat >"$work/take.osc" <<TAKE
eec0816e.00000000 /driftmeadow ii 2 32765
eec0816e.1 /driftmeadow ii 0 1
eec0816e.4ccccccd /driftmeadow ii 0 8191
eec0816e.9999999a /driftmeadow ii 2 0
TAKE
yellow=255,250,51
render take --to 1 --osc "$work/take.osc"
[ "$rc" -eq 0 ] || fail "recorded render: exit code $rc ($(cat "$work/take.err"))"
grep -qx "$work/take.osc:2: no time tag (XXXXXXXX.XXXXXXXX) at its start; line skipped" "$work/take.err" ||
  fail "the unreadable line was not reported: $(cat "$work/take.err")"
grep -qF "$(printf 'inputValue:  ID: 2\tval: 32765                 \r')" "$work/take.out" ||
  fail "no status line for the recorded message"
[ "$(ls "$work/take" | wc -l)" -eq 31 ] || fail "$(ls "$work/take" | wc -l) frames for 0 to 1 s at 30 fps"
[ "$(band_colour "$work/take/00000.png" 0 40)" != "$yellow" ] || fail "the sky is yellow on the first frame"
[ "$(band_colour "$work/take/00030.png" 0 40)" = "$yellow" ] || fail "the sky is not yellow after one second"
[ "$(band_colour "$work/take/00030.png" 560 40)" != "$yellow" ] || fail "the frame is upside down"
echo "ok: a recorded /driftmeadow ii 2 32765 turns the sky yellow within a second; the bad line is reported and skipped"

render once --to 1.5 --fps 10 --size 320x240 --osc "$work/take.osc"
render twice --to 1.5 --fps 10 --size 320x240 --osc "$work/take.osc"
diff -r "$work/once" "$work/twice" >/dev/null || fail "the same render twice differs"
render later --from 1 --to 1.5 --fps 10 --size 320x240 --osc "$work/take.osc"
for k in 0 1 2 3 4 5; do
  cmp -s "$work/later/0000$k.png" "$work/once/0001$k.png" || fail "frame at 1.$k s differs after a pre-roll"
done
echo "ok: the same render twice is byte-identical, and so is a render from 1 s drawn after its pre-roll"

# The window's image shows through the half-faded stage, so at 2 frames per
# second the picture is a little brighter than exactly half.
render fade --from 419 --to 425 --fps 2 --size 200x150
IFS=, read -r r0 g0 b0 <<<"$(band_colour "$work/fade/00000.png" 0 20)"
IFS=, read -r r1 g1 b1 <<<"$(band_colour "$work/fade/00012.png" 0 20)"
for c in "$r0 $r1" "$g0 $g1" "$b0 $b1"; do
  set -- $c
  [ $(($2 * 2 - $1)) -ge -4 ] && [ $(($2 * 2 - $1)) -le 10 ] || fail "sky $r1,$g1,$b1 at 425 s is not half of $r0,$g0,$b0"
done
echo "ok: at 425 s the sky is at half its brightness ($r0,$g0,$b0 -> $r1,$g1,$b1)"

# The disc, closed at 0 s and 2 s and open at 1 s, textured with a green
# picture: its middle is that green, the same at 2 s (the picture is bound
# every frame, not the stage's own image), closed without a seam and open with
# dark gaps between the tilted tiles; the corners are cleared black.
convert -size 64x64 xc:'#20c040' "$work/green.png"
render disc --scene disc --texture "$work/green.png" --to 2 --fps 1 --size 320x240
dark_share() {
  convert "$1" -crop 100x100+110+70 +repage -channel G -separate +channel -threshold 16% -format '%[fx:1-mean]' info:
}
IFS=, read -r r g b <<<"$(band_colour "$work/disc/00000.png" 70 100)"
[ "$rc" -eq 0 ] && [ "$g" -gt $((2 * r)) ] && [ "$g" -gt $((2 * b)) ] || fail "the disc's middle is $r,$g,$b, not the picture's green"
[ "$(band_colour "$work/disc/00002.png" 70 100)" = "$r,$g,$b" ] || fail "the disc's middle changes from 0 s to 2 s"
awk -v c="$(dark_share "$work/disc/00000.png")" -v o="$(dark_share "$work/disc/00001.png")" 'BEGIN { exit !(c < 0.005 && o > 0.03) }' ||
  fail "the disc does not open (dark share closed $(dark_share "$work/disc/00000.png"), open $(dark_share "$work/disc/00001.png"))"
[ "$(band_colour "$work/disc/00001.png" 0 10)" = "0,0,0" ] || fail "the disc's corners are not black"
echo "ok: the disc is textured with the --texture picture and opens its tiles"

# The flip-book over the stage that starts black: its first frame is 01.jpg
# itself, upright; a tenth of a second on it shows 05.jpg over 40 % of 01.jpg.
render book --scene sequence --frames images/sequence --count 10 --to 0.1 --fps 10 --size 320x240
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed -E 's/.*\(([0-9.e-]+)\).*/\1/'; }
for f in 01 05; do convert "images/sequence/$f.jpg" -resize '320x240!' "$work/$f.png"; done
convert "$work/book/00000.png" -flip "$work/flipped.png"
awk -v same="$(rmse "$work/book/00000.png" "$work/01.png")" -v flipped="$(rmse "$work/flipped.png" "$work/01.png")" \
  -v later="$(rmse "$work/book/00001.png" "$work/05.png")" -v earlier="$(rmse "$work/book/00001.png" "$work/01.png")" \
  'BEGIN { exit !(same < 0.03 && flipped > 0.1 && later < earlier) }' || fail "the flip-book's frames are not 01.jpg, then 05.jpg"
echo "ok: the flip-book shows 01.jpg upright at 0 s and 05.jpg at 0.1 s"

grep -q fps "$work/once.err" && fail "a progress bar on standard error that is not a terminal"
sock="render-e2e-$$"
tmux -L "$sock" new-session -d -x 100 -y 5 \
  "'$R' --out '$work/tty' --to 1 --fps 10 --size 64x48 >/dev/null; echo rc=\$?; sleep 120"
ended() { tmux -L "$sock" capture-pane -p | grep -q 'rc='; }
wait_for --every 0.2 120 ended
pane=$(tmux -L "$sock" capture-pane -p)
grep -qE '^render 11/11 \[#{20}\] [0-9.]+ fps, 0:00 left$' <<<"$pane" && grep -qx 'rc=0' <<<"$pane" ||
  fail "no finished progress bar on the terminal: $pane"
echo "ok: on a terminal the progress bar shows frames done of all, frames per second and time left"
