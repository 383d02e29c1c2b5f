# Sourced: starts a private Xvfb on a free display number and exports DISPLAY.
# The server ends with the shell that sourced this file (an exit handler that
# adds to the caller's own).
source "$(dirname "${BASH_SOURCE[0]}")/exit-handlers.sh"

# start_virtual_display [WxH[xD]] [XVFB ARGS...]: the first screen's size
# (800x600x24 unless given) and further Xvfb arguments (say, +xinerama and a
# second -screen).
start_virtual_display() {
  local screen=${1:-800x600x24}
  [ $# -gt 0 ] && shift
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
    # In a session of its own, so that a Ctrl-C at the terminal reaches the
    # programs on the display but not the display itself: they end first.
    # (setsid execs the server in place: $! is the server's own process.)
    setsid Xvfb ":$n" -screen 0 "$screen" "$@" -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      if xwininfo -root >/dev/null 2>&1 && kill -0 "$XVFB_PID" 2>/dev/null; then
        on_exit "kill $XVFB_PID 2>/dev/null"
        return 0
      fi
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null
  done
  echo "Xvfb did not start" >&2
  return 1
}
