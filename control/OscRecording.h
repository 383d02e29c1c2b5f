// OscRecording: a performance recorded with liblo's `oscdump -L PORT`, one
// message per line (a hexadecimal NTP time tag, the address, the type tags,
// the arguments), replayed into the ControlState through the live receiver's
// dispatch, each message at its time relative to the first message; a take
// of the show (control/OscRecorder.h) counts from the show's first frame
// instead, which its origin line marks. Main thread only, and never beside a
// running receive thread (both would write the ControlState).
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <utility>
#include <vector>

class OscRecording {
public:
    OscRecording() = default;
    OscRecording(const OscRecording&) = delete;
    OscRecording& operator=(const OscRecording&) = delete;

    // Reads the whole recording. Each line that cannot be read is reported
    // with the name and its line number and left out; blank lines are passed
    // over. `load` is false (and reports nothing) when the file cannot be opened.
    bool load(const char* path);
    void read(std::istream& in, const char* name);

    // Adds messages made elsewhere (datagrams that pass the receiver's
    // check), each at its time in seconds, before the first applyUntil.
    // Among messages of the same time those already there come first.
    void add(std::vector<std::pair<double, std::vector<char>>> timed);

    // Applies every message not applied yet whose time, in seconds after the
    // origin (first frame or first message), is at or before t; in order of time, messages of the
    // same time in the order of their lines.
    void applyUntil(double t);

    std::size_t messageCount() const { return messages_.size(); }
    std::size_t appliedCount() const { return next_; }

    // One line as oscdump writes it: its time tag in seconds and the message
    // as an OSC datagram. Null when the line reads, otherwise why not.
    static const char* parseLine(const std::string& line, double& seconds, std::vector<char>& packet);

private:
    struct Message {
        double time;
        std::vector<char> packet;
    };
    std::vector<Message> messages_;
    std::size_t next_ = 0;
};
