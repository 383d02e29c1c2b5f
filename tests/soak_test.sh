#!/usr/bin/env bash
# The soak for one minute after its two-minute warm-up (tools/soak.sh runs the
# full ten): the real show under a flood of valid and malformed OSC datagrams
# while its look turns must not crash, must apply every valid message, keep
# its memory and end with the last valid message in force.
set -uo pipefail
BUILD=${2:?build directory}
bash "$(dirname "$0")/../tools/soak.sh" 60 "$BUILD"
