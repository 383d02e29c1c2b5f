// MidiInSource: MIDI from a controller or another program, through RtMidi on
// the ALSA sequencer or JACK. It listens on a virtual port of its own, or on
// the first port whose name holds a given text (any port when that is
// empty), and finds that port again by name when it was unplugged. On JACK
// it also waits out a server that went away and starts again when it is
// back. Each message's bytes are parsed (running status, system messages
// passed over) and posted to the engine. The main thread constructs it and
// calls start and watch; RtMidi's thread delivers the bytes.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "bridge/BridgeEngine.h"
#include "bridge/JackServerWatch.h"
#include "bridge/MidiParser.h"

class RtMidiIn;

class MidiInSource {
public:
    enum class Api { Alsa, Jack };
    static const char* apiName(Api api);  // "ALSA", "JACK"
    // The virtual port's name, and the client name of every connection.
    static constexpr const char* kPortName = "driftmeadow";

    // `asked` is "alsa", "jack" or empty: ALSA where the sequencer exists,
    // else JACK with a running server. False with the line that says what
    // is missing.
    static bool chooseApi(const std::string& asked, Api& chosen, std::string& why);
    // The input ports there are. False with the line why not.
    static bool listPorts(Api api, std::vector<std::string>& names, std::string& why);

    MidiInSource(Api api, bool virtualPort, std::string wanted, BridgeEngine& engine, BridgeEngine::LineSink lines);
    ~MidiInSource();
    MidiInSource(const MidiInSource&) = delete;
    MidiInSource& operator=(const MidiInSource&) = delete;

    // Opens the port (or starts waiting for it, saying so). False with the
    // line why when MIDI cannot be had at all.
    bool start(std::string& why);
    // About twice a second: a port gone or back, the JACK server gone or back.
    void watch();

private:
    static void onBytes(double stamp, std::vector<unsigned char>* bytes, void* source);
    // A fresh RtMidi client; null when the system refuses (why says so).
    std::unique_ptr<RtMidiIn> makeInput(std::string& why);
    // Looks for the wanted port and opens it; true when connected.
    bool tryConnect();
    bool portStillThere();

    Api api_;
    bool virtualPort_;
    std::string wanted_;
    BridgeEngine& engine_;
    BridgeEngine::LineSink lines_;
    std::unique_ptr<RtMidiIn> in_;
    // Counts the ports opened; RtMidi's thread starts its parser afresh
    // when it sees a new one.
    std::atomic<unsigned> connection_{0};
    // RtMidi's thread only.
    MidiParser parser_;
    unsigned parserConnection_ = 0;
    std::vector<MidiMessage> parsed_;
    std::string connected_;  // the port's name; empty while waiting
    JackServerWatch jack_;
    bool serverGone_ = false;
};
