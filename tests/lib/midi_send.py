# MIDI from an independent peer: python3-rtmidi on the JACK server named by
# JACK_DEFAULT_SERVER. Opens an output port CLIENT:out, connects it to DEST
# (unless "-"), and sends the messages, each as one JACK event: bytes as
# numbers (0x.. allowed), messages separated by "/". With --hold it then
# sends each line of its standard input the same way, and keeps the port
# until that input ends.
#   /usr/bin/python3 tests/lib/midi_send.py CLIENT DEST [--hold] "0xB0 74 127 / 74 0"
import subprocess
import sys
import time

import rtmidi

args = sys.argv[1:]
hold = "--hold" in args
if hold:
    args.remove("--hold")
client, dest = args[0], args[1]
out = rtmidi.MidiOut(rtmidi.API_UNIX_JACK, name=client)
out.open_virtual_port("out")
if dest != "-":
    subprocess.run(["jack_connect", client + ":out", dest], check=True)


def send(messages):
    for message in messages.split("/"):
        if message.strip():
            out.send_message([int(b, 0) for b in message.split()])
    # The JACK process cycle (5.3 ms at 256 frames) carries the events out.
    time.sleep(0.1)


send(" ".join(args[2:]))
if hold:
    for line in sys.stdin:
        send(line)
