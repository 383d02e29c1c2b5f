// WebControlServer: the control page for phones, tablets and desktops, served
// over HTTP with a WebSocket back to the bridge (civetweb; no files served
// from disk, no CGI). The page's faders reach the engine as OSC-like events
// at "/page/input/N", so they pass through the mappings like any other
// source; its transport buttons ask the engine to send seek and loop. As a
// FeedbackListener it tells every open page of every change of a mapped
// input, wherever it came from, at most 30 messages a second per page.
//
// Only a request that carries the token gets the page or a WebSocket (403
// otherwise); a WebSocket from a page of another origin is refused, and at
// most kMaxPages are open at once. Text frames that are too long, unsound or
// too many are dropped and counted. The main thread constructs, starts and
// stops it; civetweb's threads run the handlers; the engine's thread calls
// the listener functions; a sender thread of its own writes to the pages.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bridge/BridgeEngine.h"
#include "bridge/FeedbackListener.h"
#include "bridge/MappingRule.h"

struct mg_connection;
struct mg_context;

class WebControlServer : public FeedbackListener {
public:
    static constexpr int kMaxPages = 16;
    static constexpr int kMessagesPerSecond = 30;  // to each page
    // From each page: a burst of this many, refilled at this rate a second.
    static constexpr int kPageBurst = 100;
    static constexpr int kPageRate = 200;
    // The fixed times of the transport buttons, in seconds.
    static constexpr int kHoldEnd = 415;
    static constexpr int kFadeAt = 420;

    // The inputs the page shows: each with a mapping from its page address.
    static constexpr int kPageInputs[] = {2, 0};
    // Adds "N=osc:/page/input/N" for each page input that no rule takes yet.
    static void addPageMappings(std::vector<MappingRule>& rules);

    WebControlServer(std::string host, int port, std::string token, const std::vector<MappingRule>& rules,
                     BridgeEngine& engine, BridgeEngine::LineSink lines);
    ~WebControlServer() override;
    WebControlServer(const WebControlServer&) = delete;
    WebControlServer& operator=(const WebControlServer&) = delete;

    // Listens; false with civetweb's reason when the address cannot be had.
    bool start(std::string& error);
    // Closes every page; waits up to about a second for civetweb's threads.
    void stop();

    void inputChanged(const InputChange& change, Clock::time_point now) override;
    Clock::time_point flushHeld(Clock::time_point now) override;

private:
    struct Level {
        double level = 0;
        int value = 0;
    };
    // One open WebSocket. `write` guards the connection against its close.
    struct Page {
        mg_connection* connection = nullptr;
        std::string peer;  // "HOST:PORT"
        std::mutex write;
        bool open = true;  // under write
        std::set<int> due;  // page inputs to send, under mutex_
        Clock::time_point lastSent;
        double allowance = kPageBurst;  // the connection's own thread only
        Clock::time_point lastMessage;
    };

    static int onRequest(mg_connection* connection, void* self);
    static int onConnect(const mg_connection* connection, void* self);
    static void onReady(mg_connection* connection, void* self);
    static int onData(mg_connection* connection, int flags, char* data, size_t size, void* self);
    static void onClose(const mg_connection* connection, void* self);
    static int onLog(const mg_connection* connection, const char* message);

    // The token and, for a WebSocket, the origin; answers 403 and says why
    // (once per peer and reason) when refused.
    bool admitted(mg_connection* connection, bool webSocket);
    void refuse(mg_connection* connection, const std::string& why);
    void take(Page& page, const char* data, std::size_t size);
    bool withinRate(Page& page, Clock::time_point now);
    void sendLoop();
    // Writes what each page is due; returns when the next page is due.
    Clock::time_point sendDue(Clock::time_point now);
    void reportDropped();

    std::string host_;
    int port_;
    std::string token_;
    std::vector<MappingRule> rules_;  // those from page addresses
    BridgeEngine& engine_;
    BridgeEngine::LineSink lines_;
    mg_context* context_ = nullptr;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<int, Level> levels_;  // by page input
    std::map<mg_connection*, std::shared_ptr<Page>> pages_;
    std::set<std::string> refusalsSaid_;
    bool stopping_ = false;
    std::thread sender_;

    std::atomic<unsigned long long> oversized_{0}, malformed_{0}, tooFast_{0};
    unsigned long long reported_ = 0;  // sender thread only
};
