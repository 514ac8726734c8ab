// Float-to-integer conversions and rounding points shared by every node type.
//
// Intermediates are long double (x87 extended precision, 64-bit significand);
// a value is rounded to double or float only where it is held as one.
#pragma once

#include <cmath>
#include <cstdint>

namespace platform {

// Rounds an extended value to single precision (a value "stored as float").
inline float single(long double x) {
    return static_cast<float>(x);
}

// Rounds an extended value to double precision (a value "stored as double").
inline double dbl(long double x) {
    return static_cast<double>(x);
}

// Converts through a 64-bit integer and keeps its low 32 bits, as the x87
// conversion does: NaN and values outside the 64-bit range give 0.
inline int64_t ToInt64OrZero(long double integral) {
    // 2^63 is exactly representable; anything at or beyond it is out of range.
    constexpr long double kLimit = 9223372036854775808.0L;
    if (!(integral >= -kLimit && integral < kLimit)) return 0;
    return static_cast<int64_t>(integral);
}

inline int32_t Low32(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// Truncation toward zero (the default conversion of every node type).
inline int32_t TruncToInt(long double x) {
    // Fast path: a direct long double -> integer conversion switches the x87
    // rounding mode twice, which dominates per-pixel code. Going through a
    // double is exact far inside the int32 range, up to one step across an
    // integer that the correction below takes back.
    constexpr long double kFastLimit = 1073741824.0L;
    if (x > -kFastLimit && x < kFastLimit) {
        int32_t n = static_cast<int32_t>(static_cast<double>(x));
        if (x >= 0 && n > x) --n;
        if (x < 0 && n < x) ++n;
        return n;
    }
    return Low32(ToInt64OrZero(std::truncl(x)));
}

// TruncToInt of a float: inside the int32 range a float converts exactly, so
// one conversion truncates without the corrections above.
inline int32_t TruncSingleToInt(float x) {
    if (x > -2147483648.0f && x < 2147483648.0f) return static_cast<int32_t>(x);
    return TruncToInt(x);
}

// Round to nearest, ties to even.
inline int32_t RoundHalfEvenToInt(long double x) {
    // nearbyintl honours the current rounding mode: round to nearest in every
    // render (platform/FpState.h).
    return Low32(ToInt64OrZero(std::nearbyintl(x)));
}

}  // namespace platform
