#include "control/OscRecording.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <osc/OscOutboundPacketStream.h>

#include "control/OscConsole.h"
#include "control/OscDispatch.h"
#include "control/OscPacketCheck.h"
#include "control/OscRecorder.h"

namespace {

// Reads one line from its start to its end, one field after the other. Each
// read* takes the field at the cursor (after one blank, as oscdump separates
// them) and returns false when it does not fit.
class LineReader {
public:
    explicit LineReader(const std::string& line) : s_(line) {}

    bool atEnd() const { return pos_ >= s_.size(); }

    // Up to the next blank or the end of the line.
    std::string word()
    {
        const std::size_t end = std::min(s_.find(' ', pos_), s_.size());
        std::string w = s_.substr(pos_, end - pos_);
        pos_ = end;
        return w;
    }

    // The one blank between two fields.
    bool separator()
    {
        if (pos_ >= s_.size() || s_[pos_] != ' ')
            return false;
        ++pos_;
        return true;
    }

    // oscdump prints a string between double quotes without escaping: it
    // ends at the first quote followed by a blank or the end of the line.
    bool quoted(std::string& out)
    {
        if (pos_ >= s_.size() || s_[pos_] != '"')
            return false;
        for (std::size_t q = s_.find('"', pos_ + 1); q != std::string::npos; q = s_.find('"', q + 1)) {
            if (q + 1 == s_.size() || s_[q + 1] == ' ') {
                out = s_.substr(pos_ + 1, q - pos_ - 1);
                pos_ = q + 1;
                return true;
            }
        }
        return false;
    }

    // A fixed text such as "MIDI [".
    bool literal(const char* text)
    {
        const std::size_t n = strlen(text);
        if (s_.compare(pos_, n, text) != 0)
            return false;
        pos_ += n;
        return true;
    }

private:
    const std::string& s_;
    std::size_t pos_ = 0;
};

bool parseInt64(const std::string& w, long long lo, long long hi, long long& out)
{
    if (w.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = strtoll(w.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && out >= lo && out <= hi;
}

bool parseDouble(const std::string& w, double& out)
{
    if (w.empty())
        return false;
    char* end = nullptr;
    out = strtod(w.c_str(), &end);
    return *end == '\0';
}

bool parseHex32(const std::string& w, uint32_t& out)
{
    if (w.size() != 8 || !std::all_of(w.begin(), w.end(), [](char c) { return isxdigit(static_cast<unsigned char>(c)); }))
        return false;
    out = static_cast<uint32_t>(strtoul(w.c_str(), nullptr, 16));
    return true;
}

// "XXXXXXXX.XXXXXXXX": NTP seconds and fraction, as oscdump prints time tags.
bool parseTimeTag(const std::string& w, uint32_t& seconds, uint32_t& fraction)
{
    return w.size() == 17 && w[8] == '.' && parseHex32(w.substr(0, 8), seconds) &&
           parseHex32(w.substr(9), fraction);
}

// One argument of type tag `type` at the reader's cursor onto the stream;
// null when it reads, otherwise why not.
const char* readArgument(char type, LineReader& in, osc::OutboundPacketStream& out)
{
    long long n = 0;
    double x = 0;
    std::string w;
    switch (type) {
    case 'i':
        if (!parseInt64(in.word(), INT32_MIN, INT32_MAX, n))
            return "an 'i' value is not a 32-bit integer";
        out << static_cast<osc::int32>(n);
        return nullptr;
    case 'h':
        if (!parseInt64(in.word(), INT64_MIN, INT64_MAX, n))
            return "an 'h' value is not a 64-bit integer";
        out << static_cast<osc::int64>(n);
        return nullptr;
    case 'f':
    case 'd':
        if (!parseDouble(in.word(), x))
            return "an 'f' or 'd' value is not a number";
        if (type == 'f')
            out << static_cast<float>(x);
        else
            out << x;
        return nullptr;
    case 's':
        if (!in.quoted(w))
            return "an 's' value is not a quoted string";
        out << w.c_str();
        return nullptr;
    case 'S':
        w = in.word();
        if (w.empty() || w[0] != '\'')
            return "an 'S' value does not begin with a quote";
        out << osc::Symbol(w.c_str() + 1);
        return nullptr;
    case 'c':
        w = in.word();
        if (w.size() != 3 || w[0] != '\'' || w[2] != '\'')
            return "a 'c' value is not one quoted character";
        out << w[1];
        return nullptr;
    case 't': {
        uint32_t s = 0, f = 0;
        if (!parseTimeTag(in.word(), s, f))
            return "a 't' value is not a time tag";
        out << osc::TimeTag((static_cast<osc::uint64>(s) << 32) | f);
        return nullptr;
    }
    case 'm': {
        uint32_t value = 0;
        if (!in.literal("MIDI ["))
            return "an 'm' value is not a MIDI message";
        for (int i = 0; i < 4; ++i) {
            if ((i > 0 && !in.separator()) || !in.literal("0x"))
                return "an 'm' value is not a MIDI message";
            w = in.word();
            if (i == 3 && !w.empty() && w.back() == ']')
                w.pop_back();
            char* end = nullptr;
            const long long byte = strtoll(w.c_str(), &end, 16);
            if (w.empty() || *end != '\0' || byte < 0 || byte > 255)
                return "an 'm' value is not a MIDI message";
            value = (value << 8) | static_cast<uint32_t>(byte);
        }
        out << osc::MidiMessage(value);
        return nullptr;
    }
    case 'T':
    case 'F':
        if (in.word() != (type == 'T' ? "#T" : "#F"))
            return "a 'T' or 'F' value is not #T or #F";
        out << (type == 'T');
        return nullptr;
    case 'N':
        if (in.word() != "Nil")
            return "an 'N' value is not Nil";
        out << osc::OscNil;
        return nullptr;
    case 'I':
        if (in.word() != "Infinitum")
            return "an 'I' value is not Infinitum";
        out << osc::Infinitum;
        return nullptr;
    default:
        return "a type tag that cannot be read back (blob or unknown)";
    }
}

}  // namespace

const char* OscRecording::parseLine(const std::string& line, double& seconds, std::vector<char>& packet)
{
    // A NUL byte would end the address or a string early, and the rest of the
    // line would be read as something it is not.
    if (line.find('\0') != std::string::npos)
        return "a NUL byte in the line";
    LineReader in(line);
    uint32_t s = 0, f = 0;
    if (!parseTimeTag(in.word(), s, f))
        return "no time tag (XXXXXXXX.XXXXXXXX) at its start";
    seconds = s + f * (1.0 / 4294967296.0);
    if (!in.separator())
        return "no address";
    const std::string address = in.word();
    if (address.empty() || address[0] != '/')
        return "the address does not begin with /";
    // oscdump ends a message without arguments with the blank before its
    // (empty) type tags.
    const std::string types = in.separator() ? in.word() : std::string();

    char buffer[kMaxOscDatagram];
    osc::OutboundPacketStream out(buffer, sizeof buffer);
    try {
        out << osc::BeginMessage(address.c_str());
        for (char type : types) {
            if (!in.separator())
                return "fewer values than type tags";
            if (const char* fault = readArgument(type, in, out))
                return fault;
        }
        out << osc::EndMessage;
    } catch (const osc::OutOfBufferMemoryException&) {
        return "the message is longer than a datagram the show takes";
    }
    if (!in.atEnd())
        return "more values than type tags";
    if (const char* fault = checkOscPacket(out.Data(), out.Size()))
        return fault;
    packet.assign(out.Data(), out.Data() + out.Size());
    return nullptr;
}

bool OscRecording::load(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    read(in, path);
    return true;
}

void OscRecording::read(std::istream& in, const char* name)
{
    std::string line;
    int number = 0;
    bool marked = false, haveFirst = false;
    double origin = 0, first = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        Message m;
        if (const char* fault = parseLine(line, m.time, m.packet)) {
            reportRecordingLineSkipped(name, number, fault);
            continue;
        }
        // A take of the show marks its first frame, which is time 0; in any
        // other recording the first message is.
        if (strcmp(m.packet.data(), OscRecorder::kOriginAddress) == 0) {
            if (!marked)
                origin = m.time;
            marked = true;
            continue;
        }
        if (!haveFirst)
            first = m.time;
        haveFirst = true;
        messages_.push_back(std::move(m));
    }
    for (Message& m : messages_)
        m.time -= marked ? origin : first;
    std::stable_sort(messages_.begin(), messages_.end(),
                     [](const Message& a, const Message& b) { return a.time < b.time; });
}

void OscRecording::add(std::vector<std::pair<double, std::vector<char>>> timed)
{
    for (auto& [time, packet] : timed)
        messages_.push_back(Message{time, std::move(packet)});
    std::stable_sort(messages_.begin(), messages_.end(),
                     [](const Message& a, const Message& b) { return a.time < b.time; });
}

void OscRecording::applyUntil(double t)
{
    for (; next_ < messages_.size() && messages_[next_].time <= t; ++next_) {
        const std::vector<char>& p = messages_[next_].packet;
        // The packet passed the live receiver's structure check when it was
        // read; oscpack's own parse errors are reported as the receiver does.
        try {
            dispatchOscMessage(osc::ReceivedMessage(osc::ReceivedPacket(p.data(), p.size())));
        } catch (const osc::Exception& e) {
            reportPacketError(e.what());
        }
    }
}
