#include "bridge/WebControlServer.h"

#include <civetweb.h>

#include <algorithm>
#include <cstring>

#include "bridge/BridgeConsole.h"
#include "bridge/PageMessage.h"
#include "bridge/WebAccess.h"
#include "bridge/WebPage.h"

namespace {

using Clock = FeedbackListener::Clock;

constexpr auto kInterval = std::chrono::microseconds(1000000 / WebControlServer::kMessagesPerSecond + 1);
constexpr auto kReportEvery = std::chrono::seconds(1);
constexpr std::size_t kMaxRefusalsSaid = 256;
const std::string kPagePrefix = "/page/input/";

// Every file comes from the program; the page refers to nothing elsewhere,
// and nothing may frame it.
const char* const kSecurityHeaders =
    "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n"
    "Cache-Control: no-store\r\n";

WebControlServer& server(void* self)
{
    return *static_cast<WebControlServer*>(self);
}

std::string peerOf(const mg_connection* connection)
{
    const mg_request_info* info = mg_get_request_info(connection);
    return std::string(info->remote_addr) + ":" + std::to_string(info->remote_port);
}

std::string tokenOf(const mg_connection* connection)
{
    const char* query = mg_get_request_info(connection)->query_string;
    char token[128];
    if (query == nullptr || mg_get_var(query, std::strlen(query), "token", token, sizeof token) < 0)
        return "";
    return token;
}

// The page input that `address` belongs to, or -1.
int pageInputOf(const std::string& address)
{
    if (address.compare(0, kPagePrefix.size(), kPagePrefix) != 0)
        return -1;
    const std::string number = address.substr(kPagePrefix.size());
    for (int input : WebControlServer::kPageInputs)
        if (number == std::to_string(input))
            return input;
    return -1;
}

void answer(mg_connection* connection, const WebAsset& asset, bool head)
{
    mg_printf(connection,
              "HTTP/1.1 200 OK\r\nContent-Type: %s\r\nContent-Length: %zu\r\n%sConnection: close\r\n\r\n",
              asset.contentType, asset.size, kSecurityHeaders);
    if (!head)
        mg_write(connection, asset.body, asset.size);
}

}  // namespace

void WebControlServer::addPageMappings(std::vector<MappingRule>& rules)
{
    for (int input : kPageInputs) {
        const std::string address = pageAddress(input);
        const bool taken = std::any_of(rules.begin(), rules.end(), [&](const MappingRule& r) {
            return r.source.kind == MappingSource::Osc && r.source.address == address;
        });
        if (taken)
            continue;
        MappingRule rule;
        rule.id = input;
        rule.source.kind = MappingSource::Osc;
        rule.source.address = address;
        rules.push_back(rule);
    }
}

WebControlServer::WebControlServer(std::string host, int port, std::string token,
                                   const std::vector<MappingRule>& rules, BridgeEngine& engine,
                                   BridgeEngine::LineSink lines)
    : host_(std::move(host)), port_(port), token_(std::move(token)), engine_(engine), lines_(std::move(lines))
{
    for (const MappingRule& rule : rules)
        if (rule.source.kind == MappingSource::Osc && rule.source.argument == 1 &&
            pageInputOf(rule.source.address) >= 0)
            rules_.push_back(rule);
    for (int input : kPageInputs)
        levels_[input] = {};
}

WebControlServer::~WebControlServer()
{
    stop();
}

bool WebControlServer::start(std::string& error)
{
    mg_init_library(MG_FEATURES_WEBSOCKET);
    const std::string ports = host_ + ":" + std::to_string(port_);
    const std::string threads = std::to_string(kMaxPages + 4);
    // No document root: nothing on disk is served and CGI is unreachable.
    // A thread per connection, so the thread count bounds them. Pages are
    // pinged when quiet and dropped when they stop answering; a write to a
    // page that stopped reading gives up after the request timeout.
    const char* options[] = {"listening_ports", ports.c_str(), "num_threads", threads.c_str(),
                             "request_timeout_ms", "5000", "websocket_timeout_ms", "5000",
                             "enable_websocket_ping_pong", "yes", "enable_keep_alive", "no",
                             "max_request_size", "8192", nullptr};
    mg_callbacks callbacks{};
    callbacks.log_message = onLog;
    char text[256] = "";
    mg_error_data failure{nullptr, text, sizeof text};
    mg_init_data init{&callbacks, this, options};
    context_ = mg_start2(&init, &failure);
    if (context_ == nullptr) {
        error = webListenFailed(ports, text[0] ? text : "civetweb did not start");
        mg_exit_library();
        return false;
    }
    mg_set_request_handler(context_, "/", onRequest, this);
    mg_set_websocket_handler(context_, "/ws", onConnect, onReady, onData, onClose, this);
    sender_ = std::thread(&WebControlServer::sendLoop, this);
    return true;
}

void WebControlServer::stop()
{
    if (context_ == nullptr)
        return;
    mg_stop(context_);
    context_ = nullptr;
    mg_exit_library();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    sender_.join();
}

int WebControlServer::onLog(const mg_connection*, const char*)
{
    // civetweb's own reports (a client that went away mid-request and the
    // like) are no news for the performer.
    return 1;
}

int WebControlServer::onRequest(mg_connection* connection, void* self)
{
    const mg_request_info* info = mg_get_request_info(connection);
    const bool head = std::strcmp(info->request_method, "HEAD") == 0;
    if (!head && std::strcmp(info->request_method, "GET") != 0) {
        mg_send_http_error(connection, 405, "%s", "Only GET and HEAD");
        return 405;
    }
    const WebAsset* asset = findWebAsset(info->local_uri ? info->local_uri : "");
    if (asset == nullptr) {
        mg_send_http_error(connection, 404, "%s", "Not found");
        return 404;
    }
    // The script and the style hold nothing to guard; the page is the door.
    if (std::strcmp(asset->path, "/") == 0 && !server(self).admitted(connection, false))
        return 403;
    answer(connection, *asset, head);
    return 200;
}

bool WebControlServer::admitted(mg_connection* connection, bool webSocket)
{
    if (!tokenMatches(tokenOf(connection), token_)) {
        refuse(connection, "without the token");
        return false;
    }
    if (!webSocket)
        return true;
    // A browser always names the page's origin; another site's page that
    // learned the token must not steer the show from a performer's browser.
    const char* origin = mg_get_header(connection, "Origin");
    const char* hostHeader = mg_get_header(connection, "Host");
    if (origin && (!hostHeader || std::string(origin) != std::string("http://") + hostHeader)) {
        refuse(connection, "from another origin");
        return false;
    }
    bool full;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        full = pages_.size() >= std::size_t(kMaxPages);
    }
    if (full)
        refuse(connection, "with every page taken");
    return !full;
}

void WebControlServer::refuse(mg_connection* connection, const std::string& why)
{
    const std::string host = mg_get_request_info(connection)->remote_addr;
    // Written whole: civetweb's error page is not sent while a WebSocket
    // upgrade is being decided.
    static const char kForbidden[] =
        "HTTP/1.1 403 Forbidden\r\nContent-Type: text/plain\r\nContent-Length: 10\r\nConnection: close\r\n\r\n"
        "Forbidden\n";
    mg_write(connection, kForbidden, sizeof kForbidden - 1);
    bool say;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        say = refusalsSaid_.size() < kMaxRefusalsSaid && refusalsSaid_.insert(host + " " + why).second;
    }
    if (say)
        lines_(webRefusedLine(host, why));
}

int WebControlServer::onConnect(const mg_connection* connection, void* self)
{
    // civetweb hands the connection as const here; answering needs it whole.
    return server(self).admitted(const_cast<mg_connection*>(connection), true) ? 0 : 1;
}

void WebControlServer::onReady(mg_connection* connection, void* self)
{
    WebControlServer& s = server(self);
    auto page = std::make_shared<Page>();
    page->connection = connection;
    page->peer = peerOf(connection);
    page->lastMessage = Clock::now();
    for (int input : kPageInputs)
        page->due.insert(input);
    mg_set_user_connection_data(connection, page.get());
    int open;
    {
        std::lock_guard<std::mutex> lock(s.mutex_);
        s.pages_[connection] = page;
        open = int(s.pages_.size());
    }
    s.wake_.notify_one();
    s.lines_(webPageOpenedLine(page->peer, open));
}

int WebControlServer::onData(mg_connection* connection, int flags, char* data, size_t size, void* self)
{
    Page* page = static_cast<Page*>(mg_get_user_connection_data(connection));
    switch (flags & 0x0f) {
    case MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE:
        return 0;
    case MG_WEBSOCKET_OPCODE_PING:
    case MG_WEBSOCKET_OPCODE_PONG:
        return 1;
    case MG_WEBSOCKET_OPCODE_TEXT:
        if (page && (flags & 0x80)) {
            server(self).take(*page, data, size);
            return 1;
        }
        break;
    default:
        break;
    }
    // Binary, fragmented or continued frames are never the page's.
    ++server(self).malformed_;
    return 1;
}

void WebControlServer::take(Page& page, const char* data, std::size_t size)
{
    if (!withinRate(page, Clock::now())) {
        ++tooFast_;
        return;
    }
    if (size > kPageMessageMaxBytes) {
        ++oversized_;
        return;
    }
    const PageMessage m = parsePageMessage(data, size);
    switch (m.kind) {
    case PageMessage::Set:
        engine_.post(OscInMessage{pageAddress(m.input), {OscInArgument{m.level, true, true}}, "page " + page.peer});
        break;
    case PageMessage::Restart:
        engine_.seek(0);
        break;
    case PageMessage::Hold:
        engine_.loop(0, kHoldEnd);
        break;
    case PageMessage::Fade:
        engine_.seek(kFadeAt);
        break;
    case PageMessage::Invalid:
        ++malformed_;
        break;
    }
}

bool WebControlServer::withinRate(Page& page, Clock::time_point now)
{
    const double seconds = std::chrono::duration<double>(now - page.lastMessage).count();
    page.lastMessage = now;
    page.allowance = std::min<double>(kPageBurst, page.allowance + seconds * kPageRate);
    if (page.allowance < 1)
        return false;
    page.allowance -= 1;
    return true;
}

void WebControlServer::onClose(const mg_connection* connection, void* self)
{
    WebControlServer& s = server(self);
    std::shared_ptr<Page> page;
    int open;
    {
        std::lock_guard<std::mutex> lock(s.mutex_);
        auto found = s.pages_.find(const_cast<mg_connection*>(connection));
        if (found == s.pages_.end())
            return;
        page = found->second;
        s.pages_.erase(found);
        open = int(s.pages_.size());
    }
    {
        // A write in progress finishes first; none starts after.
        std::lock_guard<std::mutex> lock(page->write);
        page->open = false;
    }
    s.lines_(webPageClosedLine(page->peer, open));
}

void WebControlServer::inputChanged(const InputChange& change, Clock::time_point)
{
    bool any = false;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const MappingRule& rule : rules_) {
        if (rule.id != change.id)
            continue;
        const int input = pageInputOf(rule.source.address);
        levels_[input] = {levelForValue(rule, change.value), change.value};
        for (auto& entry : pages_)
            entry.second->due.insert(input);
        any = true;
    }
    if (any)
        wake_.notify_one();
}

FeedbackListener::Clock::time_point WebControlServer::flushHeld(Clock::time_point)
{
    // The sender thread paces the pages itself.
    return Clock::time_point::max();
}

void WebControlServer::sendLoop()
{
    Clock::time_point nextReport = Clock::now() + kReportEvery;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        const Clock::time_point now = Clock::now();
        if (now >= nextReport) {
            reportDropped();
            nextReport = now + kReportEvery;
        }
        const Clock::time_point next = std::min(sendDue(now), nextReport);
        lock.lock();
        if (!stopping_)
            wake_.wait_until(lock, next);
    }
}

Clock::time_point WebControlServer::sendDue(Clock::time_point now)
{
    struct Due {
        std::shared_ptr<Page> page;
        std::string text;
    };
    std::vector<Due> due;
    Clock::time_point next = Clock::time_point::max();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& entry : pages_) {
            Page& page = *entry.second;
            if (page.due.empty())
                continue;
            if (now - page.lastSent < kInterval) {
                next = std::min(next, page.lastSent + kInterval);
                continue;
            }
            std::string text;
            for (int input : page.due) {
                const Level& l = levels_[input];
                text += (text.empty() ? "" : "\n") + pageValueMessage(input, l.level, l.value);
            }
            page.due.clear();
            page.lastSent = now;
            due.push_back({entry.second, text});
        }
    }
    for (Due& d : due) {
        std::lock_guard<std::mutex> lock(d.page->write);
        if (d.page->open)
            mg_websocket_write(d.page->connection, MG_WEBSOCKET_OPCODE_TEXT, d.text.data(), d.text.size());
    }
    return next;
}

void WebControlServer::reportDropped()
{
    const unsigned long long oversized = oversized_, malformed = malformed_, tooFast = tooFast_;
    if (oversized + malformed + tooFast == reported_)
        return;
    reported_ = oversized + malformed + tooFast;
    lines_(webDroppedLine(oversized, malformed, tooFast));
}
