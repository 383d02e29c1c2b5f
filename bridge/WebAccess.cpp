#include "bridge/WebAccess.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/random.h>

#include <qrencode.h>

#include <memory>

#include "bridge/BridgeConsole.h"

namespace {

constexpr int kTokenLength = 22;
constexpr std::size_t kMinTokenLength = 8, kMaxTokenLength = 64;
constexpr int kQuietZone = 4;  // modules, as the QR standard asks

const char kTokenAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kAlphabetSize = sizeof kTokenAlphabet - 1;

bool tokenCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool parseIpv4(const std::string& text, in_addr& out)
{
    return inet_pton(AF_INET, text.c_str(), &out) == 1;
}

std::string pageAddress(const std::string& host, int port, const std::string& token)
{
    return "http://" + host + ":" + std::to_string(port) + "/?token=" + token;
}

}  // namespace

std::string makeWebToken()
{
    std::string token;
    while (int(token.size()) < kTokenLength) {
        unsigned char bytes[32];
        if (getrandom(bytes, sizeof bytes, 0) != ssize_t(sizeof bytes))
            return "";
        // Bytes past the largest multiple of the alphabet's size would favour
        // its first letters.
        for (unsigned char b : bytes)
            if (b < 256 / kAlphabetSize * kAlphabetSize && int(token.size()) < kTokenLength)
                token += kTokenAlphabet[b % kAlphabetSize];
    }
    return token;
}

bool checkWebToken(const std::string& token, std::string& error)
{
    bool sound = token.size() >= kMinTokenLength && token.size() <= kMaxTokenLength;
    for (char c : token)
        sound = sound && tokenCharacter(c);
    if (!sound)
        error = webBadToken();
    return sound;
}

bool tokenMatches(const std::string& given, const std::string& token)
{
    unsigned difference = given.size() != token.size();
    for (std::size_t i = 0; i < token.size(); ++i)
        difference |= unsigned(i < given.size() ? given[i] : 0) ^ unsigned(token[i]);
    return difference == 0;
}

bool parseWebAddress(const std::string& text, std::string& host, int& port, std::string& error)
{
    host = "0.0.0.0";
    port = kDefaultWebPort;
    if (text.empty())
        return true;
    const std::size_t colon = text.rfind(':');
    const std::string portText = colon == std::string::npos ? text : text.substr(colon + 1);
    if (colon != std::string::npos) {
        in_addr unused;
        host = text.substr(0, colon);
        if (!parseIpv4(host, unused)) {
            error = webBadHost(host);
            return false;
        }
    }
    bool digits = !portText.empty() && portText.size() <= 5;
    for (char c : portText)
        digits = digits && c >= '0' && c <= '9';
    port = digits ? std::stoi(portText) : 0;
    if (port < 1 || port > 65535) {
        error = webBadPort();
        return false;
    }
    return true;
}

std::vector<std::string> pageAddresses(const std::string& host, int port, const std::string& token)
{
    if (host != "0.0.0.0")
        return {pageAddress(host, port, token)};
    std::vector<std::string> reachable, loopback;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (const ifaddrs* i = list; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP))
                continue;
            char text[INET_ADDRSTRLEN];
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr, text, sizeof text);
            (i->ifa_flags & IFF_LOOPBACK ? loopback : reachable).push_back(pageAddress(text, port, token));
        }
        freeifaddrs(list);
    }
    if (reachable.empty() && loopback.empty())
        loopback.push_back(pageAddress("127.0.0.1", port, token));
    reachable.insert(reachable.end(), loopback.begin(), loopback.end());
    return reachable;
}

std::vector<std::string> qrCodeLines(const std::string& text)
{
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1),
                                                    QRcode_free);
    if (!code)
        return {};
    const int size = code->width, full = size + 2 * kQuietZone;
    auto dark = [&](int x, int y) {
        x -= kQuietZone;
        y -= kQuietZone;
        return x >= 0 && y >= 0 && x < size && y < size && (code->data[y * size + x] & 1);
    };
    // Black on white set explicitly; each character holds two rows of modules.
    std::vector<std::string> lines;
    for (int y = 0; y < full; y += 2) {
        std::string line = "\033[30;47m";
        for (int x = 0; x < full; ++x) {
            const bool top = dark(x, y), bottom = y + 1 < full && dark(x, y + 1);
            line += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
        }
        lines.push_back(line + "\033[0m");
    }
    return lines;
}
