#!/usr/bin/env bash
# The show's options from outside, on a display of two Xinerama screens (800x600
# and 1024x768; Xvfb puts both at its top-left corner): --help, and bad options
# with one line and exit code 2; full screen on the first screen (SDL alone
# would take the whole 1024x768) at a size below its own, and on the second
# at its own size; windows of the --size asked for, the stage growing
# with them, one of them centred on the second screen; a size the display has
# not; and a --size frame, held still by a seek and a loop, that matches the
# renderer's frame of that size and time.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
source "$(dirname "$0")/lib/e2e.sh"
own_display 800x600x24 -screen 1 1024x768x24 +xinerama || fail "no display"
make_work_dir

"$BIN" --help >"$work/help" 2>&1 || fail "--help exit code $?"
for o in --window "--size TEXT=800x600" --screen --record; do
  grep -qF -- "$o" "$work/help" || fail "--help does not list $o"
done
echo "ok: --help lists every option"

echo kept >"$work/take.osc"
while IFS='|' read -r args says; do
  eval "set -- $args"
  timeout 20 "$BIN" "$@" >"$work/bad.out" 2>"$work/bad.err"
  rc=$?
  [ "$rc" -eq 2 ] && [ "$(wc -l <"$work/bad.err")" -eq 1 ] && grep -qF -- "$says" "$work/bad.err" &&
    grep -q '^driftmeadow: .* (see --help)$' "$work/bad.err" ||
    fail "$args: exit code $rc, standard error '$(cat "$work/bad.err")'"
  [ ! -s "$work/bad.out" ] || fail "$args: something on standard output"
done <<CASES
--bogus|--bogus
--size 800|--size must be WxH
--size 0x600|--size must be WxH
--size 4097x600|--size must be WxH
--screen -1|--screen
--screen 2|--screen 2: the display has 2 screens, 0 to 1
--record "$work/take.osc"|it exists already
--record "$work/no/take.osc"|No such file or directory
CASES
[ "$(cat "$work/take.osc")" = kept ] || fail "an existing take was written over"
echo "ok: bad options, a screen the display has not and a take that exists: one line, exit code 2"

# layout: where the picture is. Full screen: "full" with the geometry of the
# full-screen window and of the picture in it; else "window" with the
# geometry of the caption window, as long as it is viewable.
layout() {
  local full
  full=$(xwininfo -root -tree | awk '
    /^ +[0-9]+ child/ { next }
    /^     0x.*\(has no name\): \(\)/ { top = $(NF - 1); next }
    /^        0x.*\(has no name\): \(\)/ && top { print top " " $(NF - 1); exit }
    { top = "" }')
  if [ -n "$full" ]; then
    echo "full $full"
  else
    xwininfo -name "$SHOW_CAPTION" 2>/dev/null | awk '
      /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
      /Width:/ { w = $NF } /Height:/ { h = $NF } /Map State: IsViewable/ { v = 1 }
      END { if (v) print "window " w "x" h "+" x "+" y }'
  fi
}
# shows_as ARGS LAYOUT STAGE: the show with ARGS puts its picture at LAYOUT,
# drawn through a stage of STAGE ("W, H"), then ends with exit code 0.
shows_as() {
  start_show "$work/out" $1
  wait_show_ready "$work/out" || fail "'$1': the show did not start: $(cat "$work/out.err")"
  local l
  l=$(layout)
  [ "$l" = "$2" ] || fail "'$1': the picture is at '$l', not '$2'"
  grep -qx "FBO Requested size: $3" "$work/out" || fail "'$1': no $3 stage: $(grep FBO "$work/out")"
  end_show
  [ "$rc" -eq 0 ] || fail "'$1': exit code $rc"
  echo "ok: '$1' puts the picture at $2, through a stage of $3"
}
shows_as "--screen 0 --size 640x480" "full 800x600+0+0 640x480+80+60" "1024, 512"
shows_as "--screen 1 --size 1024x768" "full 1024x768+0+0 1024x768+0+0" "1024, 1024"
shows_as "--window --size 1280x720" "window 1280x720+0+0" "2048, 1024"
shows_as "--window --screen 1 --size 640x360" "window 640x360+192+204" "1024, 512"

timeout 20 unshare --net "$BIN" --size 1280x800 >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -eq 2 ] && [ "$(cat "$work/err")" = "Couldn't set GL video mode: No video mode large enough for 1280x800" ] ||
  fail "a size the display has not: exit code $rc, standard error '$(cat "$work/err")'"
echo "ok: full screen at a size the display has not is the video-mode line and exit code 2"

# Held at 10 s of frame time (a loop of a millisecond), the window's picture
# becomes the renderer's frame at 10 s, and not the one half a second later.
for t in 10 10.5; do
  env -u DISPLAY "$BUILD/driftmeadow-render" --from $t --fps 10 --size 400x300 --out "$work/r$t" >/dev/null 2>&1 ||
    fail "the renderer failed at $t s"
done
# compare exits with 1 for pictures that differ at all.
rmse() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed -E 's/.*\(([0-9.e-]+)\).*/\1/'; }
window_is_frame() {
  import -window root -crop 400x300+0+0 +repage "$work/show.png" &&
    same=$(rmse "$work/show.png" "$work/r10/00000.png") && awk -v s="$same" 'BEGIN { exit !(s < 0.02) }'
}
start_show "$work/out" --window --size 400x300
wait_show_ready "$work/out" || fail "the 400x300 window did not start"
to_show /driftmeadow/seek i 10
to_show /driftmeadow/loop ff 10 10.001
wait_for 20 window_is_frame || fail "the 400x300 window held at 10 s is not the renderer's frame (RMSE $same)"
later=$(rmse "$work/show.png" "$work/r10.5/00000.png")
end_show
awk -v l="$later" 'BEGIN { exit !(l > 0.05) }' || fail "the frame at 10.5 s is as close (RMSE $later)"
echo "ok: a 400x300 window held at 10 s is the renderer's 400x300 frame at 10 s (RMSE $same, $later at 10.5 s)"
