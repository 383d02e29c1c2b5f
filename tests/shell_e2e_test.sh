#!/usr/bin/env bash
# The real binary on a virtual display: the window with its caption opens,
# Escape and a quit event both end the show with exit code 0, and without any
# display the show reports that no video mode can be had and exits with 2.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
source "$(dirname "$0")/lib/e2e.sh"
own_display
make_work_dir

# run_until CMD: starts the show, waits for its window, ends it by CMD, and
# leaves the exit code in $rc (124 when it did not end within 20 s).
run_until() {
  # Started without a subshell, so that $pid is the show's own process chain
  # (unshare execs bash, which execs timeout, which forwards signals to the show).
  unshare --net bash -c 'ip link set lo up && exec "$@"' _ timeout 20 "$BIN" >"$work/out" 2>"$work/err" &
  pid=$!
  wait_for 20 show_window_open || { kill $pid; fail "no window with the show's caption appeared: $(cat "$work/err")"; }
  "$@"
  wait $pid
  rc=$?
}

# Escape held across frames shows in the key state; a quick tap, pressed and
# released within one frame, only as a key-down event. Both end the show.
for press in hold_escape "xdotool key Escape"; do
  run_until $press
  [ "$rc" -eq 0 ] || fail "Escape ($press): exit code $rc, expected 0 ($(cat "$work/err"))"
  echo "ok: Escape ($press) ends the show with exit code 0"
done

# SDL turns SIGTERM into a quit event; the signal reaches the show through timeout.
run_until eval 'kill -TERM $pid'
[ "$rc" -eq 0 ] || fail "quit event: exit code $rc, expected 0"
echo "ok: a quit event ends the show with exit code 0"

for driver in "" x11; do
  env -u DISPLAY ${driver:+SDL_VIDEODRIVER=$driver} timeout 20 "$BIN" </dev/null >"$work/out" 2>"$work/err"
  rc=$?
  [ "$rc" -eq 2 ] || fail "no display (driver '${driver}'): exit code $rc, expected 2"
  grep -q "^Couldn't set GL video mode: .\+$" "$work/err" ||
    fail "no display (driver '${driver}'): missing message, got: $(cat "$work/err")"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "no display: expected one line on standard error"
  [ ! -s "$work/out" ] || fail "no display: nothing may reach the terminal's standard output"
  echo "ok: without a display (driver '${driver:-default}') the show exits with 2 and one message"
done
