#!/usr/bin/env bash
# tools/show.sh on a terminal (tmux) without a display: it starts a virtual
# one, and Ctrl-C, as it tells the performer to press, ends the show first
# (exit code 0, no broken X connection), then its display.
set -uo pipefail
BUILD=$(realpath "${2:?build directory}")
source "$(dirname "$0")/lib/e2e.sh"
make_work_dir
T="tmux -S $work/tmux.sock"
on_exit "$T kill-server 2>/dev/null"

$T new-session -d -x 120 -y 40 "unshare --net bash -c 'ip link set lo up && env -u DISPLAY bash tools/show.sh $BUILD; echo \"exit \$?\" >$work/done'" \; set-option -g remain-on-exit on
pane() { $T capture-pane -p -S -200; }
wait_for 30 eval 'pane | grep -q "cloud06.bmp"' || fail "the show did not come up: $(pane)"
display=$(pane | sed -n 's/.*runs on the virtual display \(:[0-9]*\).*/\1/p')
[ -n "$display" ] || fail "show.sh did not name its display: $(pane)"
xvfb=$(tr -d ' ' <"/tmp/.X${display#:}-lock")
$T send-keys C-c
wait_for 20 test -s "$work/done" || fail "Ctrl-C did not end show.sh: $(pane)"
[ "$(cat "$work/done")" = "exit 0" ] || fail "show.sh ended with '$(cat "$work/done")': $(pane)"
! pane | grep -q "X connection" || fail "the display went before the show: $(pane)"
wait_for 10 eval '! kill -0 '"$xvfb"' 2>/dev/null' || fail "the virtual display $display was left running"
echo "ok: Ctrl-C ends the show (exit code 0), then its virtual display"
