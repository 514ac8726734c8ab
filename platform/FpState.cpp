#include "platform/FpState.h"

#include <cfenv>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace platform {
namespace {

#if defined(__x86_64__) || defined(__i386__)
// x87: exceptions masked (bits 0-5), 64-bit precision (PC = 11), round to nearest (RC = 00).
constexpr uint16_t kControlWord = 0x037F;
// SSE: exceptions masked (bits 7-12), round to nearest, no flush to zero.
constexpr uint32_t kMxcsr = 0x1F80;

uint16_t ControlWord() {
    uint16_t cw;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

void SetControlWord(uint16_t cw) {
    asm volatile("fldcw %0" : : "m"(cw));
}
#endif

}  // namespace

void ResetFloatingPoint() {
#if defined(__x86_64__) || defined(__i386__)
    SetControlWord(kControlWord);
    _mm_setcsr(kMxcsr);
#else
    std::fesetround(FE_TONEAREST);
#endif
}

ScopedFpState::ScopedFpState() {
#if defined(__x86_64__) || defined(__i386__)
    savedControlWord_ = ControlWord();
    savedMxcsr_ = _mm_getcsr();
#endif
    ResetFloatingPoint();
}

ScopedFpState::~ScopedFpState() {
#if defined(__x86_64__) || defined(__i386__)
    SetControlWord(savedControlWord_);
    _mm_setcsr(savedMxcsr_);
#endif
}

}  // namespace platform
