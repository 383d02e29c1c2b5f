#!/usr/bin/env bash
# Builds a fuzz target with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds
# (default 600) on a working copy of its seed corpus (fuzz/corpus/<target>),
# after replaying every input kept in fuzz/regressions/<target> (inputs that
# once found a fault). A crash, a sanitizer report, or an input that keeps
# the target busy for longer than its time limit ends it with a non-zero
# code and leaves the input in the output folder's artifacts.
#   bash tools/fuzz.sh [seconds] [output folder, default build-fuzz/<target>] [target]
# Targets: osc_packet (the default: one OSC datagram through the receiver's
# packet path), osc_recording (an oscdump recording read and applied),
# picture_load (one picture file's bytes through the image load),
# sound_file (one sound file's bytes through the sound layer's decoding),
# mapping (one text through the bridge's mapping language), osc_in (one OSC
# datagram from an app through the bridge's OSC in and its engine),
# page_message (one WebSocket text frame through the control page's parser).
# option_text (one text through the audio tool's --map and --send parsers,
# in a private network so that host name look-ups stay on this machine).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
target=${3:-osc_packet}
out=$(realpath -m "${2:-build-fuzz/$target}")
isolate=()
# The base layer is small and every layer may use it: each target takes it whole.
base=(base/*.cpp)
osc=(control/OscDispatch.cpp control/OscPacketCheck.cpp control/OscConsole.cpp control/ControlState.cpp
  control/TransportRequests.cpp control/OscRecorder.cpp "${base[@]}")
case $target in
  osc_packet)
    sources=(control/OscControlReceiver.cpp "${osc[@]}")
    libs=(-loscpack $(sdl-config --libs))
    limits=(-timeout=2 -max_len=4200 -rss_limit_mb=1024) ;;
  osc_recording)
    sources=(control/OscRecording.cpp "${osc[@]}")
    libs=(-loscpack $(sdl-config --libs))
    limits=(-timeout=2 -max_len=8192 -rss_limit_mb=1024) ;;
  picture_load)
    # Decoding may take a picture of the largest size allowed.
    sources=(gfx/Image.cpp gfx/ImageErrors.cpp gfx/PictureFolders.cpp "${base[@]}")
    libs=(-lSDL_image $(sdl-config --libs) -DDRIFTMEADOW_BIN_TO_DATA='"../share/driftmeadow"' -DDRIFTMEADOW_SOURCE_DIR="\"$PWD\"")
    limits=(-timeout=10 -max_len=16384 -rss_limit_mb=2048) ;;
  sound_file)
    sources=(audio/SoundFile.cpp)
    libs=(-lsndfile)
    limits=(-timeout=5 -max_len=16384 -rss_limit_mb=2048) ;;
  mapping)
    sources=(bridge/MappingRule.cpp bridge/BridgeConsole.cpp)
    libs=()
    limits=(-timeout=2 -max_len=512 -rss_limit_mb=1024) ;;
  osc_in)
    sources=(bridge/OscInSource.cpp bridge/OscFeedback.cpp bridge/BridgeEngine.cpp bridge/MappingRule.cpp
             bridge/BridgeConsole.cpp control/OscInputSender.cpp control/OscPacketCheck.cpp control/OscConsole.cpp
             "${base[@]}")
    libs=(-loscpack $(sdl-config --libs) -pthread)
    limits=(-timeout=2 -max_len=4200 -rss_limit_mb=1024) ;;
  page_message)
    sources=(bridge/PageMessage.cpp)
    libs=()
    limits=(-timeout=2 -max_len=256 -rss_limit_mb=1024) ;;
  option_text)
    sources=(levels/LevelMapping.cpp control/OscInputSender.cpp control/OscConsole.cpp "${base[@]}")
    libs=(-loscpack $(sdl-config --libs))
    limits=(-timeout=2 -max_len=512 -rss_limit_mb=1024)
    isolate=(unshare --net) ;;
  *) echo "fuzz.sh: unknown target '$target' (osc_packet, osc_recording, picture_load, sound_file, mapping, osc_in, page_message, option_text)" >&2; exit 2 ;;
esac
mkdir -p "$out/corpus" "$out/artifacts"
cp -n "fuzz/corpus/$target"/* "$out/corpus/"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I. -I/usr/include/oscpack $(sdl-config --cflags) \
  "fuzz/${target}_fuzz.cpp" "${sources[@]}" "${libs[@]}" -o "$out/${target}_fuzz"
if compgen -G "fuzz/regressions/$target/*" >/dev/null; then
  "${isolate[@]}" "$out/${target}_fuzz" "${limits[@]}" fuzz/regressions/"$target"/*
fi
"${isolate[@]}" "$out/${target}_fuzz" -max_total_time="$seconds" "${limits[@]}" \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus"
