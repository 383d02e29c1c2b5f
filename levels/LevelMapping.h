// LevelMapping: turns the spectrum into the show's input values, the way the
// performer maps them. Per mapping: the loudest spectrumLevel of either
// channel between two points of its scale, smoothed (an attack time while
// it rises, a release time while it falls), times the gain and full scale,
// clamped to 0..32765. Pure arithmetic over a level reader, so it runs
// without sound. The owner's thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One mapping, as written on the command line:
// "ID=LO:HI[,gain=G][,attack=MS][,release=MS]".
struct LevelMappingRule {
    int id = 0;         // input value ID, 0 to 255
    float low = 0.0f;   // spectrumLevel positions, 0 <= low <= high <= 1
    float high = 0.0f;
    double gain = 1.0;  // value = gain x level x 32765 (a full-scale tone reads about 1)
    double attackMs = 50.0;
    double releaseMs = 500.0;
};

// The text form; false with a one-line reason when it is unsound.
bool parseLevelMapping(const std::string& text, LevelMappingRule& rule, std::string& error);
// The form's summary for --help.
extern const char* const kLevelMappingForm;
// Used when the performer gives none: bass to input 2 and highs to input 0,
// gentle enough that the landscape is fully turned only by loud sound.
std::vector<LevelMappingRule> defaultLevelMappings();

class LevelMapping {
public:
    using LevelReader = std::function<double(int channel, float x)>;

    // IDs must be distinct.
    explicit LevelMapping(std::vector<LevelMappingRule> rules);

    // Reads every mapping's band through `level` and moves its smoothed level
    // toward that over `elapsedMs`, the time since the last update.
    void update(const LevelReader& level, double elapsedMs);

    int size() const { return int(rules_.size()); }
    const LevelMappingRule& rule(int i) const { return rules_[i]; }
    double smoothedLevel(int i) const { return smoothed_[i]; }
    // What is sent for mapping i: 0 to 32765.
    int value(int i) const;

private:
    std::vector<LevelMappingRule> rules_;
    std::vector<double> smoothed_;
};
