#!/usr/bin/env bash
# The real binary on a GL without GL_EXT_framebuffer_object (a preloaded shim
# hides it): it announces its 1024 x 1024 stage for the 800 x 600 window, then
# ends at start-up with one message and exit code 2.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
source "$(dirname "$0")/lib/e2e.sh"
own_display
make_work_dir

in_private_net timeout 20 env LD_PRELOAD="$BUILD/tests/libhide_fbo_extension.so" "$BIN" \
  </dev/null >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -eq 2 ] || fail "exit code $rc, expected 2"
[ "$(cat "$work/err")" = "GL_EXT_framebuffer_object not supported" ] && [ "$(wc -l <"$work/err")" -eq 1 ] ||
  fail "standard error was '$(cat "$work/err")'"
[ "$(grep -E "FBO|frame buffer" "$work/out")" = "FBO Requested size: 1024, 1024" ] ||
  fail "standard output was '$(cat "$work/out")'"
echo "ok: without GL_EXT_framebuffer_object the show says its stage size, then exits with 2 and one message"
