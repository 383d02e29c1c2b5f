#include "levels/LevelMapping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "audio/SpectrumData.h"
#include "base/PrintableText.h"
#include "control/ControlState.h"

const char* const kLevelMappingForm = "ID=LO:HI[,gain=G][,attack=MS][,release=MS]";

namespace {

constexpr double kMaxGain = 1000.0;
constexpr double kMaxSmoothingMs = 60000.0;

// The whole text is one finite number within [low, high].
bool parseNumber(const std::string& text, double low, double high, double& out)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out) && out >= low && out <= high;
}

bool parseId(const std::string& text, int& id)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    id = std::stoi(text);
    return id < kInputValueCount;
}

// "name=value" after the band; false with the reason.
bool parseSetting(const std::string& setting, LevelMappingRule& rule, std::string& error)
{
    const size_t eq = setting.find('=');
    const std::string name = setting.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : setting.substr(eq + 1);
    if (name == "gain") {
        if (parseNumber(value, 0.0, kMaxGain, rule.gain))
            return true;
        error = "gain must be a number from 0 to 1000";
    } else if (name == "attack" || name == "release") {
        if (parseNumber(value, 0.0, kMaxSmoothingMs, name == "attack" ? rule.attackMs : rule.releaseMs))
            return true;
        error = name + " must be a time from 0 to 60000 ms";
    } else {
        error = "unknown setting '" + printableText(name) + "' (gain, attack or release)";
    }
    return false;
}

// The bin position at x on spectrumLevel's scale, and back.
double binAt(double x)
{
    return std::exp2(10.0 * x + 1.0);
}

float positionOf(double bin)
{
    return float((std::log2(bin) - 1.0) / 10.0);
}

// The level is linear between bins (before its fourth root, which keeps the
// order), so its largest value in a band lies at a bin or at an end. The top
// stops at the last bin: beyond it the scale wraps round to bin 0.
double bandMax(const LevelMapping::LevelReader& level, float low, float high)
{
    const double top = std::min(binAt(high), double(kSpectrumBins - 1));
    const double bottom = std::min(binAt(low), top);
    std::vector<float> points{positionOf(bottom), positionOf(top)};
    for (double bin = std::floor(bottom) + 1.0; bin < top; bin += 1.0)
        points.push_back(positionOf(bin));
    double loudest = 0.0;
    for (int channel = 0; channel < kSpectrumRows; ++channel)
        for (float x : points) {
            const double v = level(channel, x);
            if (std::isfinite(v) && v > loudest)
                loudest = v;
        }
    return loudest;
}

}  // namespace

bool parseLevelMapping(const std::string& text, LevelMappingRule& rule, std::string& error)
{
    LevelMappingRule parsed;
    const size_t end = std::min(text.find(','), text.size());
    const std::string band = text.substr(0, end);
    const size_t eq = band.find('=');
    const size_t colon = band.find(':', eq == std::string::npos ? 0 : eq);
    if (eq == std::string::npos || colon == std::string::npos) {
        error = std::string("expected ") + kLevelMappingForm + ", got '" + printableText(text) + "'";
        return false;
    }
    if (!parseId(band.substr(0, eq), parsed.id)) {
        error = "the input ID must be a whole number from 0 to 255 in '" + printableText(text) + "'";
        return false;
    }
    double low = 0.0, high = 0.0;
    if (!parseNumber(band.substr(eq + 1, colon - eq - 1), 0.0, 1.0, low) ||
        !parseNumber(band.substr(colon + 1), 0.0, 1.0, high) || low > high) {
        error = "LO and HI must be numbers from 0 to 1, LO not above HI, in '" + printableText(text) + "'";
        return false;
    }
    parsed.low = float(low);
    parsed.high = float(high);
    for (size_t start = end; start < text.size();) {
        const size_t next = std::min(text.find(',', start + 1), text.size());
        if (!parseSetting(text.substr(start + 1, next - start - 1), parsed, error)) {
            error += " in '" + printableText(text) + "'";
            return false;
        }
        start = next;
    }
    rule = parsed;
    return true;
}

std::vector<LevelMappingRule> defaultLevelMappings()
{
    // Input 2 at 0.05 already turns the landscape fully yellow, so a full-scale
    // bass tone reaches just that; the highs pull toward grey more softly.
    LevelMappingRule bass{2, 0.05f, 0.2f, 0.05, 50.0, 500.0};
    LevelMappingRule highs{0, 0.6f, 0.9f, 0.03, 50.0, 500.0};
    return {bass, highs};
}

LevelMapping::LevelMapping(std::vector<LevelMappingRule> rules)
    : rules_(std::move(rules)), smoothed_(rules_.size(), 0.0)
{
}

void LevelMapping::update(const LevelReader& level, double elapsedMs)
{
    const double dt = elapsedMs > 0.0 ? elapsedMs : 0.0;  // and 0 for NaN
    for (size_t i = 0; i < rules_.size(); ++i) {
        const LevelMappingRule& rule = rules_[i];
        const double target = bandMax(level, rule.low, rule.high);
        double& s = smoothed_[i];
        // One pole: the gap closes by 1 - e^(-dt / time) per update.
        const double time = target > s ? rule.attackMs : rule.releaseMs;
        s = time <= 0.0 ? target : s + (target - s) * (1.0 - std::exp(-dt / time));
        if (!std::isfinite(s))
            s = target;
    }
}

int LevelMapping::value(int i) const
{
    const double v = rules_[i].gain * smoothed_[i] * kInputFullScale;
    if (!(v > 0.0))
        return 0;
    return int(std::lround(std::min(v, double(kInputFullScale))));
}
