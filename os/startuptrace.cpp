#include "os/startuptrace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

void startupPhaseEnded(const char* phase)
{
    static const bool tracing = std::getenv("TASKWYN_STARTUP_TRACE") != nullptr;
    if (!tracing)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "startup %.3f %s\n",
                 static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6, phase);
}
