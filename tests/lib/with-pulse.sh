#!/usr/bin/env bash
# Runs a command (a sound test program) with a PulseAudio of its own:
#   bash tests/lib/with-pulse.sh PROGRAM [ARGS...]
set -uo pipefail
source "$(dirname "$0")/pulse.sh"
start_private_pulse || exit 1
"$@"
