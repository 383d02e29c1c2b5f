#!/usr/bin/env bash
# Builds the OSC packet fuzz target with clang (libFuzzer and AddressSanitizer)
# and runs it for the given number of seconds (default 600) on a working copy
# of the seed corpus. A crash, an out-of-bounds access, or an input that keeps
# the packet path busy for more than 2 s ends it with a non-zero code and
# leaves the input in the output folder.
#   bash tools/fuzz.sh [seconds] [output folder, default build-fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=$(realpath -m "${2:-build-fuzz}")
mkdir -p "$out/corpus" "$out/artifacts"
cp -n fuzz/corpus/* "$out/corpus/"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address -I. -I/usr/include/oscpack \
  $(sdl-config --cflags) fuzz/osc_packet_fuzz.cpp \
  control/OscControlReceiver.cpp control/OscDispatch.cpp control/OscPacketCheck.cpp control/OscConsole.cpp control/ControlState.cpp \
  -loscpack $(sdl-config --libs) -o "$out/osc_packet_fuzz"
"$out/osc_packet_fuzz" -max_total_time="$seconds" -timeout=2 -max_len=4200 -rss_limit_mb=1024 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus"
