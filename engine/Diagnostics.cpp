#include "engine/Diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/DebugSink.h"
#include "platform/PerfCounter.h"

namespace {
constexpr size_t kLineCapacity = 2048;
Stopwatch g_stopwatch;
}  // namespace

void DebugLog(const char* format, ...) {
    char buffer[kLineCapacity];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer - 2, format, args);
    va_end(args);
    std::string line = n < 0 ? std::string() : std::string(buffer);
    line += "\r\n";
    platform::WriteDebugLine(line);
}

void Stopwatch::Start() {
    start_ = platform::QueryPerformanceCounter();
}

void Stopwatch::Stop(const char* label) const {
    const int64_t now = platform::QueryPerformanceCounter();
    DebugLog("%s took %i ms.", label,
             ElapsedMilliseconds(start_, now, platform::QueryPerformanceFrequency()));
}

void StartTimer() {
    g_stopwatch.Start();
}

void StopTimer(const char* label) {
    g_stopwatch.Stop(label);
}

int32_t ElapsedMilliseconds(int64_t start, int64_t now, int64_t frequency) {
    if (frequency <= 0) return 0;
    // Unsigned wrap-around keeps the multiplication defined for any reading.
    uint64_t ticks = static_cast<uint64_t>(now) - static_cast<uint64_t>(start);
    int64_t ms = static_cast<int64_t>(ticks * 1000u) / frequency;
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}
