#include "platform/Simd.h"

#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

SimdLevel CpuLevel() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) return SimdLevel::Sse2;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
        return SimdLevel::Avx512;
    return SimdLevel::Avx2;
#else
    return SimdLevel::Plain;
#endif
}

SimdLevel Lower(SimdLevel a, SimdLevel b) {
    return static_cast<int>(a) < static_cast<int>(b) ? a : b;
}

SimdLevel RequestedLevel() {
    const char* env = std::getenv("SWATCHER_SIMD");
    if (env == nullptr) return SimdLevel::Avx512;
    if (std::strcmp(env, "plain") == 0) return SimdLevel::Plain;
    if (std::strcmp(env, "sse2") == 0) return SimdLevel::Sse2;
    if (std::strcmp(env, "avx2") == 0) return SimdLevel::Avx2;
    return SimdLevel::Avx512;
}

SimdLevel override_ = SimdLevel::Avx512;
bool overridden_ = false;

}  // namespace

SimdLevel DetectedSimd() {
    static const SimdLevel level = Lower(CpuLevel(), RequestedLevel());
    return level;
}

SimdLevel ActiveSimd() {
    return overridden_ ? Lower(override_, DetectedSimd()) : DetectedSimd();
}

const char* SimdName(SimdLevel level) {
    switch (level) {
        case SimdLevel::Plain:
            return "plain";
        case SimdLevel::Sse2:
            return "sse2";
        case SimdLevel::Avx2:
            return "avx2";
        case SimdLevel::Avx512:
            return "avx512";
    }
    return "plain";
}

ScopedSimdLevel::ScopedSimdLevel(SimdLevel level) : saved_(ActiveSimd()) {
    override_ = level;
    overridden_ = true;
}

ScopedSimdLevel::~ScopedSimdLevel() {
    override_ = saved_;
}

}  // namespace platform
