#include "render/ProgressBar.h"

#include <unistd.h>

ProgressBar::ProgressBar(FILE* out) : out_(out), enabled_(isatty(fileno(out)) != 0) {}

void ProgressBar::start(const char* label, int total)
{
    label_ = label;
    total_ = total;
    start_ = Clock::now();
    lastDrawn_ = start_;
}

void ProgressBar::update(int done)
{
    if (!enabled_ || total_ <= 0)
        return;
    const Clock::time_point now = Clock::now();
    const bool last = done >= total_;
    if (!last && now - lastDrawn_ < std::chrono::milliseconds(100))
        return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    // The line is cleared to its end, so a longer status line printed
    // meanwhile leaves nothing behind.
    fprintf(out_, "\r%s\033[K%s", format(label_, done, total_, seconds).c_str(), last ? "\n" : "");
    fflush(out_);
}

std::string ProgressBar::format(const char* label, int done, int total, double seconds)
{
    const int cells = total > 0 ? static_cast<int>(20.0 * done / total) : 20;
    const double fps = seconds > 0 ? done / seconds : 0.0;
    const int left = fps > 0 ? static_cast<int>((total - done) / fps + 0.5) : 0;
    char line[160];
    snprintf(line, sizeof line, "%s %d/%d [%s%s] %.1f fps, %d:%02d left", label, done, total,
             std::string(static_cast<std::size_t>(cells), '#').c_str(),
             std::string(static_cast<std::size_t>(20 - cells), '.').c_str(), fps, left / 60, left % 60);
    return line;
}
