#include "bridge/BridgeConsole.h"

#include <cstdio>

namespace mappingError {
const char* const kNoEquals = "expected ID=SOURCE";
const char* const kBadId = "the input ID must be a whole number from 0 to 255";
const char* const kUnknownSource =
    "unknown source (midi:cc:CH:NUM, midi:note:CH:NUM, midi:bend:CH or osc:/ADDRESS[:N])";
const char* const kBadChannel = "MIDI channels are counted 1 to 16";
const char* const kBadController = "the controller number must be 0 to 127";
const char* const kBadNote = "the note number must be 0 to 127";
const char* const kBadAddress = "an OSC address starts with '/' and has no blanks, '#' or ','";
const char* const kBadArgument = "the OSC argument number must be 1 to 16";
const char* const kBadRange = "min and max must be whole numbers from 0 to 32765";
const char* const kMinNotBelowMax = "min must be below max";
const char* const kBadSmooth = "smooth must be a time from 0 to 60000 ms";

std::string unknownOption(const std::string& option)
{
    return "unknown option '" + option + "' (min=V, max=V, invert, smooth=MS)";
}

std::string optionTwice(const std::string& name)
{
    return "option '" + name + "' given twice";
}

std::string unreadableFile(const std::string& path)
{
    return "cannot read mappings from '" + path + "'";
}
}  // namespace mappingError

std::string mappingHelp(const std::vector<std::string>& defaults)
{
    std::string text =
        "Input ID (0 to 255) follows one control, sent to the show as /driftmeadow ID VALUE with VALUE "
        "0..32765. SOURCE is midi:cc:CH:NUM (a controller), midi:note:CH:NUM (the velocity while the key is "
        "held, 0 on release), midi:bend:CH, or osc:/ADDRESS (its first argument; osc:/ADDRESS:N for the "
        "Nth). MIDI channels are counted 1 to 16, as on the controller. OSC float arguments are read as 0 "
        "to 1, int32 ones as 0 to 127. Options: min=V and max=V, the values sent at the two ends of the "
        "control's travel (0 and 32765); invert; smooth=MS, a glide that covers 95 % of a change in MS. "
        "Repeatable; several controls may steer one input. Without --map and --maps:";
    for (const std::string& d : defaults)
        text += " " + d;
    return text;
}

void reportBadOption(const std::string& what)
{
    fprintf(stderr, "driftmeadow-control: %s (see --help)\n", what.c_str());
    fflush(stderr);
}

void reportFailure(const std::string& what)
{
    fprintf(stderr, "driftmeadow-control: %s\n", what.c_str());
    fflush(stderr);
}

std::string noAlsaSequencer(const std::string& reason)
{
    return "no ALSA sequencer on this machine (/dev/snd/seq: " + reason + "); --midi-api jack takes MIDI "
           "through a JACK server";
}

std::string noJackServer()
{
    return "no JACK server is running (start one, for instance: jackd -d alsa)";
}

std::string noMidiSystem()
{
    return "no MIDI system: neither an ALSA sequencer (/dev/snd/seq) nor a running JACK server";
}

std::string midiSystemFailed(const std::string& what)
{
    return "MIDI input failed: " + what;
}

std::string sendsToItself(const std::string& destination)
{
    return "--send " + destination + " is the --osc-in port: the bridge would hear itself";
}

std::string portListHeading(const std::string& api, int count)
{
    return count == 0 ? "No MIDI input ports (" + api + ")" : "MIDI input ports (" + api + "):";
}

std::string midiVirtualLine(const std::string& api, const std::string& port)
{
    return "MIDI in: virtual port '" + port + "' (" + api + "), waiting for other programs to connect";
}

std::string midiConnectedLine(const std::string& api, const std::string& port)
{
    return "MIDI in: '" + port + "' (" + api + ")";
}

std::string midiWaitingLine(const std::string& api, const std::string& wanted)
{
    if (wanted.empty())
        return "MIDI in: no input port yet (" + api + "); the first one that appears is taken";
    return "MIDI in: no port named like '" + wanted + "' yet (" + api + "); it is taken when it appears";
}

std::string midiPortGoneLine(const std::string& port)
{
    return "MIDI in: '" + port + "' is gone; it is taken again when it comes back";
}

std::string jackGoneLine()
{
    return "MIDI in: the JACK server is gone; MIDI goes on when it is back";
}

std::string jackBackLine()
{
    return "MIDI in: the JACK server is back";
}

std::string oscInLine(const std::string& where)
{
    return "OSC in: UDP " + where + ", from any app";
}

std::string sendingLine(const std::vector<std::string>& destinations)
{
    std::string line = "Sending to";
    for (std::size_t i = 0; i < destinations.size(); ++i)
        line += (i ? ", " : " ") + destinations[i];
    return line;
}

std::string runningLine()
{
    return "driftmeadow-control is running; Ctrl-C ends it";
}

std::string learnedLine(const std::string& control, const std::string& spec)
{
    return control + " moved: --map ID=" + spec;
}

std::string notANumberLine(const std::string& address, const std::string& sender, int argument)
{
    return "OSC in: " + address + " from " + sender + ": argument " + std::to_string(argument) +
           " is not a number; passed over";
}

std::string unsoundDatagramLine(const std::string& sender, const std::string& why)
{
    return "OSC in: a datagram from " + sender + " dropped: " + why;
}

std::string fellBehindLine(unsigned long long dropped)
{
    return "The bridge fell behind: " + std::to_string(dropped) + (dropped == 1 ? " event" : " events") +
           " dropped";
}

std::string webBadHost(const std::string& host)
{
    return "'" + host + "' is not an IPv4 address";
}

std::string webBadPort()
{
    return "the port must be a number from 1 to 65535";
}

std::string webBadToken()
{
    return "the token must be 8 to 64 letters, digits, '_' or '-'";
}

std::string webAddressLine(const std::string& address)
{
    return "Control page: " + address;
}

std::string webListenFailed(const std::string& where, const std::string& why)
{
    return "the control page cannot listen on " + where + ": " + why;
}

std::string webNoToken()
{
    return "no random token can be made for the control page; give one with --web-token";
}

std::string webPageOpenedLine(const std::string& peer, int open)
{
    return "Control page: opened from " + peer + " (" + std::to_string(open) + " open)";
}

std::string webPageClosedLine(const std::string& peer, int open)
{
    return "Control page: closed on " + peer + " (" + std::to_string(open) + " open)";
}

std::string webRefusedLine(const std::string& peer, const std::string& why)
{
    return "Control page: refused a request from " + peer + " " + why;
}

std::string webDroppedLine(unsigned long long oversized, unsigned long long malformed, unsigned long long tooFast)
{
    return "Control page: messages dropped so far: " + std::to_string(oversized) + " too long, " +
           std::to_string(malformed) + " malformed, " + std::to_string(tooFast) + " too fast";
}
