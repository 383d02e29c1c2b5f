// LiveDisplay: the bridge's console. On a terminal it keeps a small table
// below everything else, redrawn in place: each mapping's input, its
// control, and the last value sent, with a bar. Lines (connections, learned
// mappings, notices) are printed above the table, from any thread; on
// anything but a terminal only those lines are written. draw, startOver and
// finish are for the main thread.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

class BridgeEngine;

class LiveDisplay {
public:
    // Draws the table when `out` (standard output) is a terminal.
    LiveDisplay(FILE* out, bool terminal);
    LiveDisplay(const LiveDisplay&) = delete;
    LiveDisplay& operator=(const LiveDisplay&) = delete;

    // One whole line; any thread.
    void line(const std::string& text);
    // Redraws the table with what the engine last sent.
    void draw(const BridgeEngine& engine);
    // Something else was printed below the table: the next draw starts a
    // new one under it.
    void startOver();
    // Leaves the table where it is, the cursor below it.
    void finish();

    // One row of the table: input ID, control, value (-1: nothing sent yet)
    // and a 20-cell bar; at most 79 columns.
    static std::string row(int id, const std::string& control, int value);

private:
    void erase();  // under mutex_

    FILE* out_;
    bool terminal_;
    std::mutex mutex_;
    int drawn_ = 0;  // table lines on screen, the cursor below them
};
