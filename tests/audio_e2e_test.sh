#!/usr/bin/env bash
# driftmeadow-audio through the real sound paths on a PulseAudio of the
# test's own: a 1 kHz file, and a 1 kHz tone played into the null sink and
# recorded live from its monitor, put the peak in bin 93; so does a float
# file holding NaN, infinite and huge samples, and a never-ending pipe, read
# as it comes; silence has no peak. The driver menus with piped keys and in a
# real terminal (tmux): exact texts, ignored keys and key sequences (arrows,
# function keys), Escape, end of input, the terminal restored. Files and
# outputs that cannot be opened. The meter redrawn in place within 80
# columns, and within 60 on a narrower terminal.
set -euo pipefail
BUILD=${2:?build directory}
TOOL=$BUILD/driftmeadow-audio
source tests/lib/e2e.sh
source tests/lib/pulse.sh
start_private_pulse
W=$PULSE_RUNTIME  # goes with the PulseAudio folder
TONE_PID=""
RUNS=0  # one tmux server per window, each on a socket of its own
# Runs before the PulseAudio's own handler, which removes $W.
stop_terminals_and_tone() {
  for r in $(seq 1 $RUNS); do tmux -S "$W/tmux$r" kill-server 2>/dev/null || true; done
  [ -z "$TONE_PID" ] || kill "$TONE_PID" 2>/dev/null || true
}
on_exit stop_terminals_and_tone

sox -n -r 44100 -c 2 -b 16 "$W/1k.wav" synth 60 sine 1000 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$W/689.wav" synth 60 sine 689.0625 vol 0.5
echo "not a sound" >"$W/text.wav"
play_tone() { [ -z "$TONE_PID" ] || kill "$TONE_PID"; paplay --device=test "$1" & TONE_PID=$!; }

same() { [ "$2" == "$3" ] || fail "$1:"$'\n'"expected: $(printf %q "$2")"$'\n'"got:      $(printf %q "$3")"; }

# run KEYS ARGS...: the tool with KEYS (printf %b) piped in; sets OUT, ERR, RC.
run() {
  local keys=$1
  shift
  RC=0
  printf '%b' "$keys" | timeout 30 "$TOOL" "$@" >"$W/out" 2>"$W/err" || RC=$?
  OUT=$(cat "$W/out"; echo .)
  OUT=${OUT%.}
  ERR=$(cat "$W/err")
}

# Options.
run "" --help
same "--help exit" 0 "$RC"
grep -q -- "--file PATH" "$W/out" && grep -q -- "--once" "$W/out" || fail "--help lists the options: $OUT"
run "" --frobnicate
same "bad option exit" 2 "$RC"
[[ $ERR == *--frobnicate* && $ERR != *$'\n'* ]] || fail "bad option: one line naming it: $ERR"

# A file: no menus, "done" on the first line, the peak at 1 kHz.
run "" --file "$W/1k.wav" --once
same "file output" $'Initializing Audio IN... done\npeak: bin 93, 1001.3 Hz\nStopping Audio IN...  done.\n' "$OUT"
same "file exit" 0 "$RC"
same "file stderr" "" "$ERR"

# A float file of a 1 kHz tone with one sample in a hundred broken: not a
# number, infinite or huge. Those count as silence (huge ones as full
# scale): the tone's peak shows, and the meter draws (levels that are no
# number once crashed it) until it is stopped. Digital silence has no peak.
float_wavs() {  # FOLDER VALUE...: FOLDER/VALUE.wav for each
  /usr/bin/python3 - "$@" <<'PY'
import math, struct, sys
tone = [0.5 * math.sin(2 * math.pi * 1000 * i / 44100) for i in range(44100 * 2)]
for value in sys.argv[2:]:
    frames = b"".join(struct.pack("<ff", s, s) for s in (float(value) if i % 100 == 0 else t for i, t in enumerate(tone)))
    with open(f"{sys.argv[1]}/{value}.wav", "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(frames)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 3, 2, 44100, 44100 * 8, 8, 32)
                + b"data" + struct.pack("<I", len(frames)) + frames)
PY
}
frames_drawn() { [ "$(grep -o ' Hz |' "$W/out" | wc -l)" -ge $((9 * $1)) ]; }
float_wavs "$W" nan inf 1e30
for value in nan inf 1e30; do
  run "" --file "$W/$value.wav" --once
  same "$value: peak" $'Initializing Audio IN... done\npeak: bin 93, 1001.3 Hz\nStopping Audio IN...  done.\n' "$OUT"
  "$TOOL" --file "$W/$value.wav" </dev/null >"$W/out" 2>"$W/err" &
  pid=$!
  wait_for 15 frames_drawn 10 || fail "$value: the meter stopped drawing: $(tail -c 300 "$W/out")"
  kill -TERM "$pid"
  rc=0
  wait "$pid" || rc=$?
  same "$value: meter exit" 0 "$rc"
done
sox -D -n -r 44100 -c 2 -b 16 "$W/silent.wav" trim 0 2
run "" --file "$W/silent.wav" --once
same "silence" $'Initializing Audio IN... done\npeak: none (silence)\nStopping Audio IN...  done.\n' "$OUT"

# A pipe that does not end (a day of tone) plays at once, in bounded memory
# (about 32 MiB; the bound leaves room for the sanitizers' own).
{ sox -n -r 44100 -c 2 -b 16 -t wav - synth 86400 sine 1000 vol 0.5 2>/dev/null |
  /usr/bin/time -f %M -o "$W/rss" timeout 30 "$TOOL" --file /dev/stdin --once >"$W/out" 2>"$W/err"
  RC=${PIPESTATUS[1]}; } || true  # sox ends by SIGPIPE
same "pipe" $'Initializing Audio IN... done\npeak: bin 93, 1001.3 Hz\nStopping Audio IN...  done.\n' "$(cat "$W/out")"$'\n'
[ "$RC" -eq 0 ] && [ "$(cat "$W/rss")" -lt 500000 ] || fail "pipe: exit $RC, $(cat "$W/rss") KiB resident at most"

# What cannot be opened ends with the sound check's line and -1.
for c in "$W/missing.wav|the sound file could not be opened" \
         "$W/text.wav|the file is not a sound file that can be decoded" \
         "unix:$W/no-server|the playback driver could not be opened"; do
  target=${c%%|*} text=${c#*|}
  if [[ $target == unix:* ]]; then PULSE_SERVER=$target run "" --file "$W/1k.wav"; else run "" --file "$target"; fi
  [[ $OUT =~ ^"Initializing Audio IN... line "[0-9]+", FMOD error! ("[0-9]+") $text"$'\n'$ ]] ||
    fail "$target: $(printf %q "$OUT")"
  same "$target exit" 255 "$RC"
done

# The driver menus, with piped keys. The first run lists the drivers.
run '\033'
same "Escape in the playback menu" 2 "$RC"
same "Escape prints nothing on stderr" "" "$ERR"
DRIVERS=$(sed -n '5,/^---------------------------------------------------------$/p' "$W/out" | sed '$d')
grep -qx "[0-9]* : pulse" <<<"$DRIVERS" || fail "no pulse driver listed: $DRIVERS"
n=$(grep -x "[0-9]* : pulse" <<<"$DRIVERS" | cut -d' ' -f1)
KEY=$(printf "\\$(printf %o $((48 + n)))")  # '1' for the first driver, ':' for the tenth
menu() { printf '\n-------------------------\n%s\n%s\n%s\n---------------------------------------------------------\nPress a corresponding number or ESC to quit%s' "$1" "$2" "$DRIVERS" "$3"; }
PLAYBACK=$(menu "Choose a PLAYBACK driver" "-----------------------------" $'\n'; echo .)
PLAYBACK=${PLAYBACK%.}
RECORD=$(menu "Choose a RECORD driver:" "--------------------------" " ")
same "playback menu" "Initializing Audio IN... $PLAYBACK" "$OUT"

run "90${KEY}\\033"  # '9' and '0' choose nothing, silently
same "ignored keys, then Escape in the record menu" "Initializing Audio IN... $PLAYBACK$RECORD" "$OUT"
same "Escape in the record menu exit" 2 "$RC"
# Key sequences (Up, F1 in both forms, F5, Alt-x) are no keys to choose with.
run "\\033[A\\033OP\\033[[A\\033[15~\\033x${KEY}\\033[B\\033"
same "key sequences ignored in both menus" "Initializing Audio IN... $PLAYBACK$RECORD" "$OUT"
same "key sequences, then Escape: exit" 2 "$RC"
run "$KEY"
same "end of input exit" 2 "$RC"
same "end of input line" "End of input in the driver menu: no driver chosen" "$ERR"
same "end of input output" "Initializing Audio IN... $PLAYBACK$RECORD" "$OUT"

# Live input: a 1 kHz tone into the sink, recorded from its monitor.
play_tone "$W/1k.wav"
run "$KEY$KEY" --once
same "live output" "Initializing Audio IN... $PLAYBACK$RECORD"$'\n\ndone\npeak: bin 93, 1001.3 Hz\nStopping Audio IN...  done.\n' "$OUT"
same "live exit" 0 "$RC"
run "$KEY$KEY\\033"
same "piped Escape stops the meter" 0 "$RC"
[[ $OUT == *"Spectrum levels"*"Stopping Audio IN...  done."$'\n' ]] || fail "meter, then stop: $OUT"
# Key sequences do not stop the meter: it runs on after the keys end.
printf "$KEY$KEY\\033[A\\033OP\\033[15~" | "$TOOL" >"$W/out" 2>"$W/err" &
pid=$!
wait_for 15 frames_drawn 10 || fail "a key sequence stopped the meter: $(tail -c 300 "$W/out")"
kill -TERM "$pid"
wait "$pid" || fail "the meter after key sequences exited with $?"

# The same in a real terminal of 80 columns.
play_tone "$W/689.wav"
# in_tmux KEYS...: starts the tool in a fresh tmux window; the window keeps
# the exit code and the terminal settings before and after.
in_tmux() {  # [COLUMNS]
  rm -f "$W/rc"
  [ $RUNS -eq 0 ] || tmux -S "$W/tmux$RUNS" kill-server
  RUNS=$((RUNS + 1))
  tmux -S "$W/tmux$RUNS" new-session -d -x "${1:-80}" -y 30 \
    "stty -g >$W/stty.before; $TOOL; echo \$? >$W/rc.tmp; stty -g >$W/stty.after; mv $W/rc.tmp $W/rc; sleep 600"
}
pane() { tmux -S "$W/tmux$RUNS" capture-pane -p; }
shows() { pane | grep -qE "$1"; }
wait_pane() {  # PATTERN (grep -E), 15 s at most
  wait_for 15 shows "$1" && return 0
  pane >&2
  fail "the terminal never showed: $1"
}
wait_exit() {  # CODE
  wait_for 15 test -f "$W/rc" || true
  same "terminal exit" "$1" "$(cat "$W/rc" 2>/dev/null)"
  same "terminal settings restored" "$(cat "$W/stty.before")" "$(cat "$W/stty.after")"
}

in_tmux
wait_pane "Press a corresponding number or ESC to quit"
tmux -S "$W/tmux$RUNS" send-keys Up Home F1 F5 "$KEY"
wait_pane "Choose a RECORD driver:"
tmux -S "$W/tmux$RUNS" send-keys Escape
wait_exit 2

in_tmux
wait_pane "Press a corresponding number or ESC to quit"
tmux -S "$W/tmux$RUNS" send-keys "$KEY"
wait_pane "Choose a RECORD driver:"
tmux -S "$W/tmux$RUNS" send-keys "$KEY"
wait_pane '^ +689 Hz \|#{20}'  # the tone's band, near full: frames have been redrawn by now
BANDS=$(pane | grep -cE '^ +[0-9]+ Hz \|[#.]{30}\| \|[#.]{30}\|$' || true)
same "nine band lines, redrawn in place" 9 "$BANDS"
tmux -S "$W/tmux$RUNS" send-keys Escape
wait_exit 0
wait_pane "Stopping Audio IN\.\.\.  done\."  # tmux may draw the last bytes after the exit

# 60 columns: the bars shrink to 22 cells, nothing wraps.
in_tmux 60
wait_pane "Press a corresponding number or ESC to quit"
tmux -S "$W/tmux$RUNS" send-keys "$KEY" "$KEY"
wait_pane '^ +689 Hz \|#{15}'
BANDS=$(pane | grep -cE '^ +[0-9]+ Hz \|[#.]{22}\| \|[#.]{22}\|$' || true)
same "nine band lines in 60 columns" 9 "$BANDS"
tmux -S "$W/tmux$RUNS" send-keys C-c
wait_exit 0
wait_pane "Stopping Audio IN\.\.\.  done\."
echo "ok: audio tool paths, menus and meter"
