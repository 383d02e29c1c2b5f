#include "bridge/MappingRule.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "bridge/BridgeConsole.h"
#include "control/ControlState.h"

namespace {

constexpr int kMaxOscArgument = 16;
constexpr std::size_t kMaxAddress = 200;
constexpr double kMaxSmoothMs = 60000;

// Digits only, within [low, high].
bool parseWhole(const std::string& text, int low, int high, int& out)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::atoi(text.c_str());
    return out >= low && out <= high;
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

std::string trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// Printable ASCII without blanks or '#', as OSC addresses are written.
bool soundAddress(const std::string& address)
{
    if (address.size() < 2 || address[0] != '/' || address.size() > kMaxAddress)
        return false;
    for (char c : address)
        if (c <= ' ' || c > '~' || c == '#' || c == ',')
            return false;
    return true;
}

bool parseMidiSource(const std::vector<std::string>& f, MappingSource& s, std::string& error)
{
    const std::string& type = f.size() > 1 ? f[1] : "";
    const std::size_t fields = type == "bend" ? 3 : 4;
    if ((type != "cc" && type != "note" && type != "bend") || f.size() != fields) {
        error = mappingError::kUnknownSource;
        return false;
    }
    s.kind = type == "cc" ? MappingSource::ControlChange
             : type == "note" ? MappingSource::Note : MappingSource::PitchBend;
    if (!parseWhole(f[2], 1, kMidiChannels, s.channel)) {
        error = mappingError::kBadChannel;
        return false;
    }
    s.channel -= 1;
    if (fields == 4 && !parseWhole(f[3], 0, kMidiKeys - 1, s.number)) {
        error = type == "cc" ? mappingError::kBadController : mappingError::kBadNote;
        return false;
    }
    return true;
}

bool parseOscSource(const std::string& spec, MappingSource& s, std::string& error)
{
    s.kind = MappingSource::Osc;
    std::string address = spec;
    const std::size_t colon = spec.rfind(':');
    if (colon != std::string::npos) {
        address = spec.substr(0, colon);
        if (!parseWhole(spec.substr(colon + 1), 1, kMaxOscArgument, s.argument)) {
            error = mappingError::kBadArgument;
            return false;
        }
        s.argumentGiven = true;
    }
    if (!soundAddress(address)) {
        error = mappingError::kBadAddress;
        return false;
    }
    s.address = address;
    return true;
}

bool parseSource(const std::string& spec, MappingSource& s, std::string& error)
{
    if (spec.rfind("osc:", 0) == 0)
        return parseOscSource(spec.substr(4), s, error);
    const std::vector<std::string> fields = split(spec, ':');
    if (fields[0] == "midi")
        return parseMidiSource(fields, s, error);
    error = mappingError::kUnknownSource;
    return false;
}

bool parseOption(const std::string& option, MappingRule& rule, std::string& seen, std::string& error)
{
    const std::size_t eq = option.find('=');
    const std::string name = option.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : option.substr(eq + 1);
    if (seen.find("," + name + ",") != std::string::npos) {
        error = mappingError::optionTwice(name);
        return false;
    }
    seen += name + ",";
    if (name == "invert" && eq == std::string::npos) {
        rule.invert = true;
        return true;
    }
    if ((name == "min" || name == "max") && eq != std::string::npos) {
        if (!parseWhole(value, 0, kInputFullScale, name == "min" ? rule.min : rule.max)) {
            error = mappingError::kBadRange;
            return false;
        }
        return true;
    }
    if (name == "smooth" && eq != std::string::npos) {
        char* end = nullptr;
        rule.smoothMs = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !std::isfinite(rule.smoothMs) || rule.smoothMs < 0 ||
            rule.smoothMs > kMaxSmoothMs) {
            error = mappingError::kBadSmooth;
            return false;
        }
        return true;
    }
    error = mappingError::unknownOption(option);
    return false;
}

}  // namespace

bool parseMapping(const std::string& text, MappingRule& rule, std::string& error)
{
    rule = MappingRule();
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) {
        error = mappingError::kNoEquals;
        return false;
    }
    if (!parseWhole(text.substr(0, eq), 0, kInputValueCount - 1, rule.id)) {
        error = mappingError::kBadId;
        return false;
    }
    const std::vector<std::string> parts = split(text.substr(eq + 1), ',');
    if (!parseSource(parts[0], rule.source, error))
        return false;
    std::string seen = ",";
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (!parseOption(parts[i], rule, seen, error))
            return false;
    if (rule.min >= rule.max) {
        error = mappingError::kMinNotBelowMax;
        return false;
    }
    return true;
}

bool readMappingFile(const std::string& path, std::vector<MappingRule>& rules, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = mappingError::unreadableFile(path);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = trimmed(line.substr(0, line.find('#')));
        if (text.empty())
            continue;
        MappingRule rule;
        std::string why;
        if (!parseMapping(text, rule, why)) {
            error = path + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        rules.push_back(rule);
    }
    if (in.bad()) {
        error = mappingError::unreadableFile(path);
        return false;
    }
    return true;
}

std::string sourceText(const MappingSource& s)
{
    const std::string ch = std::to_string(s.channel + 1);
    switch (s.kind) {
    case MappingSource::ControlChange: return "cc " + ch + ":" + std::to_string(s.number);
    case MappingSource::Note: return "note " + ch + ":" + std::to_string(s.number);
    case MappingSource::PitchBend: return "bend " + ch;
    case MappingSource::Osc: break;
    }
    return "osc " + s.address + (s.argumentGiven ? ":" + std::to_string(s.argument) : "");
}

std::string sourceSpec(const MappingSource& s)
{
    const std::string ch = std::to_string(s.channel + 1);
    switch (s.kind) {
    case MappingSource::ControlChange: return "midi:cc:" + ch + ":" + std::to_string(s.number);
    case MappingSource::Note: return "midi:note:" + ch + ":" + std::to_string(s.number);
    case MappingSource::PitchBend: return "midi:bend:" + ch;
    case MappingSource::Osc: break;
    }
    return "osc:" + s.address + (s.argumentGiven ? ":" + std::to_string(s.argument) : "");
}

std::string mappingText(const MappingRule& rule)
{
    std::string text = std::to_string(rule.id) + "=" + sourceSpec(rule.source);
    if (rule.min != 0)
        text += ",min=" + std::to_string(rule.min);
    if (rule.max != kInputFullScale)
        text += ",max=" + std::to_string(rule.max);
    if (rule.invert)
        text += ",invert";
    if (rule.smoothMs > 0) {
        char ms[32];
        snprintf(ms, sizeof ms, "%g", rule.smoothMs);
        text += std::string(",smooth=") + ms;
    }
    return text;
}

std::vector<MappingRule> defaultMappings()
{
    std::vector<MappingRule> rules;
    for (const char* text : {"2=midi:cc:1:1", "2=midi:cc:1:7", "0=midi:cc:2:7", "2=osc:/1/fader1", "0=osc:/1/fader2"}) {
        MappingRule rule;
        std::string unused;
        parseMapping(text, rule, unused);
        rules.push_back(rule);
    }
    return rules;
}

int mappedValue(const MappingRule& rule, double level)
{
    double x = std::isfinite(level) ? std::fmin(1.0, std::fmax(0.0, level)) : 0.0;
    if (rule.invert)
        x = 1.0 - x;
    return static_cast<int>(std::lround(rule.min + x * (rule.max - rule.min)));
}

double levelForValue(const MappingRule& rule, int value)
{
    double x = double(value - rule.min) / double(rule.max - rule.min);
    x = std::fmin(1.0, std::fmax(0.0, x));
    return rule.invert ? 1.0 - x : x;
}
