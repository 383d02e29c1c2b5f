// A shim for soak runs, loaded with LD_PRELOAD into the show: counts the
// frames it presents (SDL_GL_SwapBuffers) and, about once a second, appends
// "<seconds since the first frame> <frames per second>" to the file named by
// DRIFTMEADOW_FRAME_LOG. Main thread (the one that swaps).
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers()
{
    static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    static FILE* log = nullptr;
    static double first = 0, since = 0;
    static long frames = 0;
    real();
    const double t = now();
    if (!log) {
        const char* name = getenv("DRIFTMEADOW_FRAME_LOG");
        log = fopen(name ? name : "/dev/null", "w");
        if (!log)
            log = fopen("/dev/null", "w");
        first = since = t;
        return;
    }
    ++frames;
    if (t - since >= 1.0) {
        fprintf(log, "%.1f %.1f\n", t - first, frames / (t - since));
        fflush(log);
        since = t;
        frames = 0;
    }
}
