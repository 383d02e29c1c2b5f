// Who may open the control page and where it is found: the token that every
// request must carry, the listening address, the page's address on each of
// the machine's network addresses, and a QR code of one of them for a
// phone's camera. Pure functions apart from the random source and the list
// of network interfaces; any thread.
#pragma once

#include <string>
#include <vector>

constexpr int kDefaultWebPort = 8550;

// 22 characters of [A-Za-z0-9] from the system's random source (about 130
// bits); empty when there is none to be had.
std::string makeWebToken();
// A --web-token: 8 to 64 characters of [A-Za-z0-9_-], so that it goes into
// an address unchanged. False with a one-line reason.
bool checkWebToken(const std::string& token, std::string& error);
// True when `given` is the token, compared in a time that does not depend on
// where they differ.
bool tokenMatches(const std::string& given, const std::string& token);

// "[HOST:]PORT" or empty (every interface, kDefaultWebPort). HOST is an IPv4
// address. False with a one-line reason.
bool parseWebAddress(const std::string& text, std::string& host, int& port, std::string& error);

// "http://HOST:PORT/?token=TOKEN" for the listening host, or, when it listens
// on every interface, for each IPv4 address the machine has: those a phone
// can reach first, loopback last.
std::vector<std::string> pageAddresses(const std::string& host, int port, const std::string& token);

// `text` as a QR code in half-block characters, dark on light whatever the
// terminal's colours, with a quiet zone around it; one string per line.
// Empty when it cannot be encoded.
std::vector<std::string> qrCodeLines(const std::string& text);
