// OscRecorder: a take of the show as it happened. Every message the show
// applies is written to a file, one line each in the text format of liblo's
// oscdump, with its time since the show's first frame as its time tag; the
// first line marks that frame (kOriginAddress), so that a replay puts time 0
// there. The receive thread hands each message over without ever waiting for
// the disk: a writer thread of its own writes the lines, from the first
// frame on within a tenth of a second of their coming in. A full disk, a
// write error or a disk that does not keep up stops the take for good with
// one line on standard error; the file then holds whole lines, every one
// written before.
// The main thread creates it, marks the first frame and destroys it; the
// receive thread calls record.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include <osc/OscReceivedElements.h>

class OscRecorder {
public:
    // Bytes of lines waiting for the disk before the take is stopped: some
    // twenty seconds of a controller sending 4000 messages a second.
    static constexpr std::size_t kCapacity = 4 * 1024 * 1024;
    // How long the end of a take waits for the disk to take the rest.
    static constexpr int kEndDrainMs = 2000;
    // The address of the first line, which stands for the show's first frame.
    // The show takes no action on it, so the file can be replayed into a
    // running show as it is.
    static constexpr const char* kOriginAddress = "/driftmeadow/origin";

    // A take for a new file at `path`, which is tried here and made at the
    // first frame, so that a show that never drew leaves no file behind. Null,
    // with the reason in `error`, when the file exists already (a take is never
    // written over) or cannot be made.
    static std::unique_ptr<OscRecorder> create(const std::string& path, std::string& error);
    // A take for `path`, made at the first frame; should that fail, the take
    // stops with one line.
    explicit OscRecorder(std::string path, std::size_t capacity = kCapacity);
    // Writes what is still queued (waiting at most kEndDrainMs for the disk)
    // and closes the file.
    ~OscRecorder();
    OscRecorder(const OscRecorder&) = delete;
    OscRecorder& operator=(const OscRecorder&) = delete;

    // Main thread, right before the first frame: time 0 of the take. Messages
    // applied before it are written with time 0; nothing is written before it.
    void markOrigin();
    // Receive thread: one message that took effect, at this moment.
    void record(const osc::ReceivedMessage& message);
    // Any thread: the take was stopped by a failure.
    bool stopped() const;

    // The line of a message after its time tag, as oscdump prints it: the
    // address, a blank, the type tags, each argument after a blank (int32 in
    // decimal, float with six decimals; no other types are applied).
    static std::string formatMessage(const osc::ReceivedMessage& message);

private:
    struct Take;
    static void writerLoop(std::shared_ptr<Take> take);

    // Shared with the writer thread, which outlives the recorder when the
    // disk holds its last write beyond kEndDrainMs.
    std::shared_ptr<Take> take_;
};

// The show's take: null unless one is being recorded. The show sets it before
// the receive thread starts and clears it after that thread has ended; the
// receive thread reads it for every message it applies.
extern std::atomic<OscRecorder*> gOscRecorder;
