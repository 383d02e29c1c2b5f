#include "bridge/MidiInSource.h"

#include <alsa/asoundlib.h>
#include <unistd.h>

#include <RtMidi.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "bridge/BridgeConsole.h"

namespace {

constexpr const char* kSequencer = "/dev/snd/seq";

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// RtMidi's warnings and errors are the bridge's to word; the states they
// stand for are found by watch().
void ignoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

bool alsaSequencer(std::string& reason)
{
    if (access(kSequencer, R_OK | W_OK) == 0)
        return true;
    reason = strerror(errno);
    return false;
}

std::string lowered(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

}  // namespace

const char* MidiInSource::apiName(Api api)
{
    return api == Api::Alsa ? "ALSA" : "JACK";
}

bool MidiInSource::chooseApi(const std::string& asked, Api& chosen, std::string& why)
{
    snd_lib_error_set_handler(quietAlsa);
    JackServerWatch::quietLibrary();
    std::string reason;
    if (asked == "alsa" || (asked.empty() && alsaSequencer(reason))) {
        chosen = Api::Alsa;
        if (alsaSequencer(reason))
            return true;
        why = noAlsaSequencer(reason);
        return false;
    }
    chosen = Api::Jack;
    if (JackServerWatch::serverRunning())
        return true;
    why = asked.empty() ? noMidiSystem() : noJackServer();
    return false;
}

bool MidiInSource::listPorts(Api api, std::vector<std::string>& names, std::string& why)
{
    try {
        RtMidiIn in(api == Api::Alsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK, kPortName);
        in.setErrorCallback(ignoreRtMidiError);
        for (unsigned i = 0, n = in.getPortCount(); i < n; ++i)
            names.push_back(in.getPortName(i));
        return true;
    } catch (const RtMidiError& e) {
        why = midiSystemFailed(e.getMessage());
        return false;
    }
}

MidiInSource::MidiInSource(Api api, bool virtualPort, std::string wanted, BridgeEngine& engine,
                           BridgeEngine::LineSink lines)
    : api_(api), virtualPort_(virtualPort), wanted_(std::move(wanted)), engine_(engine), lines_(std::move(lines))
{
}

MidiInSource::~MidiInSource()
{
    in_.reset();
}

std::unique_ptr<RtMidiIn> MidiInSource::makeInput(std::string& why)
{
    try {
        auto in = std::make_unique<RtMidiIn>(api_ == Api::Alsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK, kPortName);
        in->setErrorCallback(ignoreRtMidiError);
        in->setCallback(&MidiInSource::onBytes, this);
        return in;
    } catch (const RtMidiError& e) {
        why = midiSystemFailed(e.getMessage());
        return nullptr;
    }
}

bool MidiInSource::start(std::string& why)
{
    if (api_ == Api::Jack)
        jack_.open();
    in_ = makeInput(why);
    if (!in_)
        return false;
    if (virtualPort_) {
        try {
            in_->openVirtualPort(kPortName);
        } catch (const RtMidiError& e) {
            why = midiSystemFailed(e.getMessage());
            return false;
        }
        lines_(midiVirtualLine(apiName(api_), kPortName));
        return true;
    }
    if (!tryConnect())
        lines_(midiWaitingLine(apiName(api_), wanted_));
    return true;
}

bool MidiInSource::tryConnect()
{
    const std::string wanted = lowered(wanted_);
    for (unsigned i = 0, n = in_->getPortCount(); i < n; ++i) {
        const std::string name = in_->getPortName(i);
        if (name.empty() || lowered(name).find(wanted) == std::string::npos)
            continue;
        connection_.fetch_add(1);
        try {
            in_->openPort(i, kPortName);
        } catch (const RtMidiError&) {
            return false;  // gone in between: the next watch tries again
        }
        connected_ = name;
        lines_(midiConnectedLine(apiName(api_), name));
        return true;
    }
    return false;
}

bool MidiInSource::portStillThere()
{
    for (unsigned i = 0, n = in_->getPortCount(); i < n; ++i)
        if (in_->getPortName(i) == connected_)
            return true;
    return false;
}

void MidiInSource::watch()
{
    if (api_ == Api::Jack && !serverGone_ && jack_.serverGone()) {
        serverGone_ = true;
        in_.reset();
        jack_.close();
        connected_.clear();
        lines_(jackGoneLine());
        return;
    }
    if (serverGone_) {
        if (!jack_.open())
            return;
        serverGone_ = false;
        lines_(jackBackLine());
        std::string why;
        in_ = makeInput(why);
        if (!in_) {
            lines_(why);
            return;
        }
        if (virtualPort_) {
            try {
                in_->openVirtualPort(kPortName);
                lines_(midiVirtualLine(apiName(api_), kPortName));
            } catch (const RtMidiError& e) {
                lines_(midiSystemFailed(e.getMessage()));
            }
        } else if (!tryConnect()) {
            lines_(midiWaitingLine(apiName(api_), wanted_));
        }
        return;
    }
    if (!in_ || virtualPort_)
        return;
    if (connected_.empty()) {
        tryConnect();
    } else if (!portStillThere()) {
        in_->closePort();
        lines_(midiPortGoneLine(connected_));
        connected_.clear();
        tryConnect();
    }
}

void MidiInSource::onBytes(double, std::vector<unsigned char>* bytes, void* source)
{
    MidiInSource& self = *static_cast<MidiInSource*>(source);
    const unsigned connection = self.connection_.load();
    if (connection != self.parserConnection_) {
        self.parser_ = MidiParser();  // no running status from a port before
        self.parserConnection_ = connection;
    }
    self.parsed_.clear();
    self.parser_.feed(bytes->data(), bytes->size(), self.parsed_);
    for (const MidiMessage& m : self.parsed_)
        self.engine_.post(m);
}
