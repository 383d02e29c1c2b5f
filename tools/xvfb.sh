# Sourced: starts a private Xvfb on a free display number and exports DISPLAY.
# The server ends with the shell that sourced this file.
start_virtual_display() {
  # The number is named, not left to -displayfd: only a named one takes the
  # lock file /tmp/.X<n>-lock, the one claim every network namespace sees.
  # (-displayfd goes by the sockets it can bind, and abstract sockets belong
  # to a network namespace: a server started inside a private one would take
  # over the socket file of a server outside it.) Losing a race for a number
  # ends that server at once; the next number is tried.
  local n
  for n in $(shuf -i 10-250 -n 60); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    # -noreset: without it the server resets whenever its last client
    # leaves, and a client connecting meanwhile (parallel tests) is refused.
    Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      if xwininfo -root >/dev/null 2>&1 && kill -0 "$XVFB_PID" 2>/dev/null; then
        trap 'kill $XVFB_PID 2>/dev/null' EXIT
        return 0
      fi
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null
  done
  echo "Xvfb did not start" >&2
  return 1
}
