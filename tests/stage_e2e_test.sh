#!/usr/bin/env bash
# The real binary builds its off-screen stage at start-up: a 1024 x 1024
# stage for the 800 x 600 window, announced on standard output with nothing
# on standard error, and the show still ends on Escape with exit code 0. On a
# GL without GL_EXT_framebuffer_object (a shim hides it) the show ends at
# start-up with one message and exit code 2.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
source "$(dirname "$0")/lib/e2e.sh"
# A display of its own: a full-screen SDL window waits for the keyboard and
# pointer grab, and Escape goes to the focused window, so two shows must not
# share one display.
source "$(dirname "$0")/../tools/xvfb.sh"
start_virtual_display
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${XVFB_PID:-}" ] && kill $XVFB_PID 2>/dev/null' EXIT

in_private_net timeout 20 "$BIN" >"$work/out" 2>"$work/err" &
pid=$!
# The stage is made before the first frame; wait (at most 20 s) for its line.
for _ in $(seq 1 200); do
  grep -q "^Successfully created" "$work/out" && break
  sleep 0.1
done
sleep 0.5
# Held for a while: the show reads the key's state after draining its events,
# so a press and release that land within one frame would cancel out.
xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
wait $pid
rc=$?

[ "$rc" -eq 0 ] || fail "exit code $rc, expected 0 ($(cat "$work/err"))"
expected=$'FBO Requested size: 1024, 1024\nSuccessfully created the frame buffer object (1024 x 1024)'
stage_lines=$(grep -E "^(FBO Requested size|Successfully created|Failed to create|OpenGL FBO)" "$work/out" "$work/err" -h)
[ "$stage_lines" = "$expected" ] || fail "stage lines: got '$stage_lines'"
echo "ok: the show makes a 1024 x 1024 stage for its 800 x 600 window and says so"
[ ! -s "$work/err" ] || fail "standard error not empty: $(cat "$work/err")"
echo "ok: nothing on standard error"

in_private_net timeout 20 env LD_PRELOAD="$BUILD/tests/libhide_fbo_extension.so" "$BIN" \
  </dev/null >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -eq 2 ] || fail "without the extension: exit code $rc, expected 2"
[ "$(cat "$work/err")" = "GL_EXT_framebuffer_object not supported" ] && [ "$(wc -l <"$work/err")" -eq 1 ] ||
  fail "without the extension: standard error was '$(cat "$work/err")'"
grep -qx "FBO Requested size: 1024, 1024" "$work/out" || fail "without the extension: no size line"
! grep -q "frame buffer object" "$work/out" || fail "without the extension: a framebuffer was reported"
echo "ok: without GL_EXT_framebuffer_object the show exits with 2 and one message"
