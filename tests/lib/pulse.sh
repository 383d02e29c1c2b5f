# Sourced by the sound tests: a PulseAudio of the test's own, with a null sink
# "test" whose monitor "test.monitor" is the default source, in a private
# runtime folder (so parallel tests never share one). PortAudio reaches it as
# the devices "pulse" and "default" through ALSA's pulse plugin.
source "$(dirname "${BASH_SOURCE[0]}")/exit-handlers.sh"

# start_private_pulse: starts it, waits (bounded) until it answers and runs
# in short blocks, and stops it when the sourcing shell exits.
# An idle null sink renders in blocks of 2 s and takes a lower latency only
# after the block under way: a client arriving then hears and records nothing
# for up to 2 s. A real sound card keeps time on its own; here a stream of
# silence with a low latency keeps the sink running in short blocks.
start_private_pulse() {
  PULSE_RUNTIME=$(mktemp -d)
  export XDG_RUNTIME_DIR=$PULSE_RUNTIME
  unset PULSE_SERVER PULSE_SINK PULSE_SOURCE
  pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=test" --load="module-native-protocol-unix" \
    >"$PULSE_RUNTIME/pulse.log" 2>&1 &
  PULSE_PID=$!
  on_exit stop_private_pulse
  local _ latency
  for _ in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$PULSE_PID" 2>/dev/null || break
    sleep 0.1
  done
  pacat --playback --device=test --latency-msec=20 </dev/zero 2>/dev/null &
  PULSE_KEEPALIVE_PID=$!
  for _ in $(seq 1 100); do
    latency=$(pactl list sinks 2>/dev/null | sed -n 's/^\s*Latency: \([0-9]*\) usec.*/\1/p')
    [ -n "$latency" ] && [ "$latency" -lt 100000 ] && return 0
    kill -0 "$PULSE_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "PulseAudio did not start, or its null sink did not take a short latency:" >&2
  cat "$PULSE_RUNTIME/pulse.log" >&2
  return 1
}

stop_private_pulse() {
  kill "$PULSE_KEEPALIVE_PID" "$PULSE_PID" 2>/dev/null || true
  wait "$PULSE_KEEPALIVE_PID" "$PULSE_PID" 2>/dev/null || true
  rm -rf "$PULSE_RUNTIME"
}
