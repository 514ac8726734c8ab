// The floating-point state every render runs under, set on whichever thread
// computes: node code rounds through x87 extended precision and SSE alike.
#pragma once

#include <cstdint>

namespace platform {

// Sets round to nearest with all exceptions masked, and the x87 unit to 64-bit
// extended precision, on the calling thread.
void ResetFloatingPoint();

// The same state for the scope's lifetime; restores the previous one after.
class ScopedFpState {
public:
    ScopedFpState();
    ~ScopedFpState();
    ScopedFpState(const ScopedFpState&) = delete;
    ScopedFpState& operator=(const ScopedFpState&) = delete;

private:
    uint16_t savedControlWord_ = 0;
    uint32_t savedMxcsr_ = 0;
};

}  // namespace platform
