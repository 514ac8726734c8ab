#include "platform/PerfCounter.h"

#include <chrono>

namespace platform {

using Clock = std::chrono::steady_clock;

int64_t QueryPerformanceCounter() {
    return Clock::now().time_since_epoch().count();
}

int64_t QueryPerformanceFrequency() {
    return static_cast<int64_t>(Clock::period::den / Clock::period::num);
}

}  // namespace platform
