// The control bridge's texts, exactly as printed: mapping errors, start-up
// and connection lines, learned mappings, notices about what comes in, and
// the one-line failures. The functions build the text; LiveDisplay (or main,
// for the failures before it exists) prints it. Any thread.
#pragma once

#include <string>
#include <vector>

// Reasons a mapping is refused, as in "--map '<text>': <reason>".
namespace mappingError {
extern const char* const kNoEquals;
extern const char* const kBadId;
extern const char* const kUnknownSource;
extern const char* const kBadChannel;
extern const char* const kBadController;
extern const char* const kBadNote;
extern const char* const kBadAddress;
extern const char* const kBadArgument;
extern const char* const kBadRange;
extern const char* const kMinNotBelowMax;
extern const char* const kBadSmooth;
std::string unknownOption(const std::string& option);
std::string optionTwice(const std::string& name);
std::string unreadableFile(const std::string& path);
}  // namespace mappingError

// --help: the mapping language, with the defaults given.
std::string mappingHelp(const std::vector<std::string>& defaults);

// One-line failures on standard error: "driftmeadow-control: <what> (see
// --help)" for a bad option or mapping, "driftmeadow-control: <what>" for a
// missing MIDI system and the like.
void reportBadOption(const std::string& what);
void reportFailure(const std::string& what);

// Why no MIDI system can be had.
std::string noAlsaSequencer(const std::string& reason);  // --midi-api alsa
std::string noJackServer();                               // --midi-api jack
std::string noMidiSystem();                               // neither
std::string midiSystemFailed(const std::string& what);    // RtMidi refused
std::string sendsToItself(const std::string& destination);

// --list.
std::string portListHeading(const std::string& api, int count);

// Start-up and connection lines.
std::string midiVirtualLine(const std::string& api, const std::string& port);
std::string midiConnectedLine(const std::string& api, const std::string& port);
std::string midiWaitingLine(const std::string& api, const std::string& wanted);
std::string midiPortGoneLine(const std::string& port);
std::string jackGoneLine();
std::string jackBackLine();
std::string oscInLine(const std::string& where);
std::string sendingLine(const std::vector<std::string>& destinations);
std::string runningLine();

// --learn: "cc 1:74 moved: --map ID=midi:cc:1:74".
std::string learnedLine(const std::string& control, const std::string& spec);

// What comes in that the bridge passes over, said once per sender or address.
std::string notANumberLine(const std::string& address, const std::string& sender, int argument);
std::string unsoundDatagramLine(const std::string& sender, const std::string& why);
std::string fellBehindLine(unsigned long long dropped);

// The control page (--web).
std::string webBadHost(const std::string& host);
std::string webBadPort();
std::string webBadToken();
std::string webAddressLine(const std::string& address);
std::string webListenFailed(const std::string& where, const std::string& why);
std::string webNoToken();
std::string webPageOpenedLine(const std::string& peer, int open);
std::string webPageClosedLine(const std::string& peer, int open);
// Why a request was refused: "without the token", "from another origin",
// "with every page taken".
std::string webRefusedLine(const std::string& peer, const std::string& why);
std::string webDroppedLine(unsigned long long oversized, unsigned long long malformed, unsigned long long tooFast);
