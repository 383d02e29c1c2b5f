#!/usr/bin/env bash
# driftmeadow-render --video from outside, with no display, read back by
# ffprobe and ffmpeg: the streams of an .mp4 with the sound of its --react
# track; FFV1 frames equal to the PNG frames of the same render; the same
# command twice giving the same file; a tone turning the sky yellow while
# silence leaves it blue; bad options; a full disk; Ctrl-C.
set -uo pipefail
BUILD=${2:?build directory}
R="$BUILD/driftmeadow-render"
source "$(dirname "$0")/lib/e2e.sh"
make_work_dir
unset DISPLAY

# render NAME ARGS...: output in $work/NAME.out/.err, exit code in $rc.
render() {
  local name=$1
  shift
  timeout 120 "$R" "$@" >"$work/$name.out" 2>"$work/$name.err"
  rc=$?
}
# probe FILE ENTRIES: ffprobe's compact lines for the streams' ENTRIES.
probe() {
  ffprobe -v error -count_frames -show_entries "stream=$2" -of compact=nokey=0 "$1"
}
# frame_sums ARGS...: the MD5 of each frame ffmpeg decodes from ARGS, as RGB.
frame_sums() {
  ffmpeg -v error "$@" -map 0:v -f framemd5 -pix_fmt rgb24 - | grep -v '^#' | awk -F', *' '{ print $6 }'
}
# last_sky VIDEO: the most common colour of the top rows of its last frame.
last_sky() {
  ffmpeg -v error -i "$1" -update 1 -y "$work/last.png" &&
    convert "$work/last.png" -crop 160x20+0+0 +repage -format %c histogram:info:- | sort -nr | head -1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+)[,)].*/\1,\2,\3/'
}

sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 1.5 sine 60 vol 0.9
sox -D -n -r 44100 -c 2 -b 16 "$work/silence.wav" trim 0 1.5

"$R" --help >"$work/help" 2>&1 || fail "--help exit code $?"
for o in --video "--crf INT=18" --audio "--audio-offset FLOAT=0" --react --map "driftmeadow-render --react"; do
  grep -qF -- "$o" "$work/help" || fail "--help does not show $o"
done
echo "ok: --help lists the video options with an example"

while IFS='|' read -r args says; do
  eval "render bad $args"
  [ "$rc" -eq 2 ] && [ "$(wc -l <"$work/bad.err")" -eq 1 ] && grep -qF -- "$says" "$work/bad.err" ||
    fail "$args: exit code $rc, standard error '$(cat "$work/bad.err")'"
  [ -z "$(ls "$work" | grep -E '^v\.')" ] || fail "$args left a file"
done <<CASES
--video "$work/v.avi"|--video
--video "$work/v.mp4" --size 321x240|--size
--video "$work/v.mp4" --crf 52|--crf
--video "$work/v.mp4" --react "$work/tone.wav" --audio-offset nan|--audio-offset
--video "$work/v.mp4" --react "$work/missing.wav"|missing.wav
--video "$work/v.mp4" --react "$work/help"|--react: cannot read the sound file
--out "$work/frames" --audio "$work/tone.wav"|--audio needs --video
CASES
echo "ok: bad options and unreadable tracks: one line, exit code 2, no file"

# Input 2 at full scale for the bass, so one second turns the landscape.
map=(--map 2=0.05:0.2,gain=1)
for n in 1 2; do
  render mp4 --to 1 --size 320x240 --video "$work/tone$n.mp4" --react "$work/tone.wav" "${map[@]}"
  [ "$rc" -eq 0 ] || fail ".mp4 render: exit code $rc ($(cat "$work/mp4.err"))"
done
streams=$(probe "$work/tone1.mp4" codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames,sample_rate,channels)
for want in "codec_name=h264|width=320|height=240|pix_fmt=yuv420p|r_frame_rate=30/1|nb_read_frames=31" \
  "codec_name=aac|sample_rate=44100|channels=2"; do
  grep -qF "$want" <<<"$streams" || fail "the .mp4 is not $want: $streams"
done
cmp -s "$work/tone1.mp4" "$work/tone2.mp4" || fail "the same .mp4 render twice gives different files"
echo "ok: the .mp4 holds 31 H.264 frames at 30/1 and the track as AAC; the same command twice gives the same file"

render mkv --to 1 --size 160x120 --video "$work/tone.mkv" --out "$work/png" --react "$work/tone.wav" "${map[@]}"
[ "$rc" -eq 0 ] || fail ".mkv render: exit code $rc ($(cat "$work/mkv.err"))"
render mkv --to 1 --size 160x120 --video "$work/again.mkv" --react "$work/tone.wav" "${map[@]}"
cmp -s "$work/tone.mkv" "$work/again.mkv" || fail "the same .mkv render twice gives different files"
grep -qF "codec_name=flac" <<<"$(probe "$work/tone.mkv" codec_name)" || fail "the .mkv has no FLAC track"
frame_sums -i "$work/tone.mkv" >"$work/mkv.sums"
frame_sums -framerate 30 -i "$work/png/%05d.png" >"$work/png.sums"
[ "$(wc -l <"$work/mkv.sums")" -eq 31 ] && cmp -s "$work/mkv.sums" "$work/png.sums" ||
  fail "the FFV1 frames are not the PNG frames ($(wc -l <"$work/mkv.sums") frames)"
echo "ok: the .mkv's 31 FFV1 frames decode to exactly the PNG frames of the same render"

[ "$(last_sky "$work/tone.mkv")" = "$SKY_YELLOW" ] || fail "a 60 Hz tone leaves the sky $(last_sky "$work/tone.mkv")"
render silent --to 1 --size 160x120 --video "$work/silence.mkv" --react "$work/silence.wav" "${map[@]}"
[ "$(last_sky "$work/silence.mkv")" = "$SKY_BLUE" ] || fail "silence turns the sky $(last_sky "$work/silence.mkv")"
echo "ok: with --react a 60 Hz tone turns the sky yellow by the last frame, silence leaves it light blue"

mkdir "$work/full"
unshare -m bash -c 'mount -t tmpfs -o size=64k tmpfs "$1" && exec timeout 120 "$2" --to 1 --size 160x120 --video "$1/v.mkv" >/dev/null 2>"$3"; ' \
  _ "$work/full" "$R" "$work/full.err"
rc=$?
[ "$rc" -eq 1 ] && [ "$(wc -l <"$work/full.err")" -eq 1 ] && grep -qx "driftmeadow-render: cannot write $work/full/v.mkv: No space left on device" "$work/full.err" ||
  fail "full disk: exit code $rc, standard error '$(cat "$work/full.err")'"
[ -z "$(ls "$work/full")" ] || fail "a full disk left $(ls "$work/full")"
echo "ok: a full disk: one line, exit code 1, no file left behind"

# The muxer writes 32 KiB at a time: some frames are in once the file has
# that much (lossless H.264 makes them large).
part_grown() { [ "$(stat -c %s "$work/stop.mp4.part" 2>/dev/null || echo 0)" -ge 32768 ]; }
"$R" --to 60 --size 320x240 --crf 0 --video "$work/stop.mp4" --react "$work/tone.wav" >/dev/null 2>"$work/stop.err" &
pid=$!
on_exit "kill $pid 2>/dev/null"
wait_for 60 part_grown || fail "the video did not grow"
kill -INT "$pid"
wait "$pid"
rc=$?
frames=$(sed -nE "s|^driftmeadow-render: interrupted; $work/stop.mp4 holds ([0-9]+) frames$|\1|p" "$work/stop.err")
[ "$rc" -eq 130 ] && [ "$(wc -l <"$work/stop.err")" -eq 1 ] && [ -n "$frames" ] ||
  fail "Ctrl-C: exit code $rc, standard error '$(cat "$work/stop.err")'"
grep -qF "nb_read_frames=$frames" <<<"$(probe "$work/stop.mp4" nb_read_frames)" && [ ! -e "$work/stop.mp4.part" ] ||
  fail "after Ctrl-C the video does not play its $frames frames: $(probe "$work/stop.mp4" nb_read_frames)"
echo "ok: Ctrl-C closes the video with the $frames frames drawn, says so in one line, exit code 130"
