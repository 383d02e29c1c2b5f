# Sourced by the MIDI tests: a JACK server of the test's own, with a private
# name, in userspace (dummy driver, no realtime). Clients find it through
# JACK_DEFAULT_SERVER and never start one of their own.
source "$(dirname "${BASH_SOURCE[0]}")/exit-handlers.sh"

# start_private_jack: starts it, waits (bounded) until it takes clients,
# and stops it, with the files it leaves in /dev/shm, when the shell exits.
start_private_jack() {
  JACK_NAME="dm$$_$RANDOM"
  export JACK_DEFAULT_SERVER=$JACK_NAME JACK_NO_START_SERVER=1
  jackd -n "$JACK_NAME" --no-realtime -d dummy -r 48000 -p 256 >"/tmp/jackd-$JACK_NAME.log" 2>&1 &
  JACK_PID=$!
  on_exit stop_private_jack
  local _
  for _ in $(seq 1 100); do
    jack_lsp -s "$JACK_NAME" >/dev/null 2>&1 && return 0
    kill -0 "$JACK_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "jackd did not start:" >&2
  cat "/tmp/jackd-$JACK_NAME.log" >&2
  return 1
}

# The server leaves semaphore files of its clients even after a clean end.
stop_private_jack() {
  kill "$JACK_PID" 2>/dev/null || true
  wait "$JACK_PID" 2>/dev/null || true
  rm -f /dev/shm/jack_"$JACK_NAME"_* /dev/shm/jack_sem.*_"$JACK_NAME"_* "/tmp/jackd-$JACK_NAME.log"
}
