// The instruction-set level the node kernels run at, chosen once per process.
//
// Every kernel keeps its plain path (portable C++, x87/SSE2 on x86-64) as the
// reference; wider paths must give the same bytes and are tested against it.
#pragma once

namespace platform {

enum class SimdLevel {
    Plain,   // portable code only (any CPU, and the reference)
    Sse2,    // x86-64 baseline
    Avx2,    // x86-64 with AVX2 and FMA
    Avx512,  // and AVX-512 F, BW, DQ and VL; kernels without a wider path use their AVX2 one
};

// The level the CPU supports, lowered by SWATCHER_SIMD ("plain", "sse2",
// "avx2", "avx512"); read once, on first use.
SimdLevel DetectedSimd();

// The level kernels dispatch on: DetectedSimd() unless a ScopedSimdLevel is
// active. Read it once per node update, not per pixel.
SimdLevel ActiveSimd();

// "plain", "sse2", "avx2" or "avx512", for benchmark and test names.
const char* SimdName(SimdLevel level);

// Lowers the active level for the scope's lifetime (never raises it above
// what the CPU supports), so tests can compare every path in one process.
// Not thread-safe: set it before a render starts.
class ScopedSimdLevel {
public:
    explicit ScopedSimdLevel(SimdLevel level);
    ~ScopedSimdLevel();
    ScopedSimdLevel(const ScopedSimdLevel&) = delete;
    ScopedSimdLevel& operator=(const ScopedSimdLevel&) = delete;

private:
    SimdLevel saved_;
};

}  // namespace platform
