# Sourced: starts a private Xvfb on a free display number and exports DISPLAY.
# The server ends with the shell that sourced this file.
start_virtual_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -noreset: without it the server resets whenever its last client leaves,
  # and a client connecting meanwhile (parallel tests) is refused.
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n
  read -r -t 20 n <"$fifo"
  rm -f "$fifo"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$n"
  trap 'kill $XVFB_PID 2>/dev/null' EXIT
  # The display number comes before the server takes clients on some set-ups.
  for _ in $(seq 1 50); do
    xwininfo -root >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}
