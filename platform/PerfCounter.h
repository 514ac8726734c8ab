// High-resolution counter standing in for the OS performance counter.
#pragma once

#include <cstdint>

namespace platform {

int64_t QueryPerformanceCounter();
int64_t QueryPerformanceFrequency();  // ticks per second

}  // namespace platform
