// Frame-time harness for the benchmarks: times whole frames (swap included,
// with glFinish so the software renderer's work is counted) and reports a
// frame kind against a baseline measured in the same run. Main thread, with
// the GL context current.
#pragma once

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

// Mean milliseconds per frame over n frames, after a few unmeasured ones.
inline double msPerFrame(int n, const std::function<void()>& frame)
{
    for (int i = 0; i < 5; ++i)
        frame();
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        frame();
    glFinish();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / n;
}

struct FrameComparison {
    double subjectMs;
    double baselineMs;
    double ratio() const { return subjectMs / baselineMs; }
};

// Alternates rounds of baseline and subject frames, so that a slow spell of a
// shared machine hits both alike, and keeps the median round of each.
inline FrameComparison compareFrames(int framesPerRound, int rounds,
                                     const std::function<void()>& subject,
                                     const std::function<void()>& baseline)
{
    std::vector<double> s, b;
    for (int r = 0; r < rounds; ++r) {
        b.push_back(msPerFrame(framesPerRound, baseline));
        s.push_back(msPerFrame(framesPerRound, subject));
    }
    std::sort(s.begin(), s.end());
    std::sort(b.begin(), b.end());
    return {s[s.size() / 2], b[b.size() / 2]};
}

inline void printComparison(const char* subjectName, const char* baselineName, const FrameComparison& c)
{
    printf("%-28s %8.3f ms/frame %8.1f fps\n", subjectName, c.subjectMs, 1000.0 / c.subjectMs);
    printf("%-28s %8.3f ms/frame %8.1f fps\n", baselineName, c.baselineMs, 1000.0 / c.baselineMs);
    printf("%-28s %8.2f x\n", "ratio", c.ratio());
}

// The landscape's three looks, each held by its input values, for the
// benchmarks that time them.
struct BenchLook {
    const char* name;
    float input0;
    float input2;
};
inline constexpr BenchLook kBenchLooks[] = {
    {"grey look (input 0 at 1.0)", 1.0f, 0.0f},
    {"house look (no input)", 0.0f, 0.0f},
    {"flower look (input 2 at 1.0)", 0.0f, 1.0f},
};
