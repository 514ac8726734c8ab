// Float-to-integer conversions and rounding points shared by every node type.
//
// Intermediates are long double (x87 extended precision, 64-bit significand);
// a value is rounded to double or float only where it is held as one.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

// The reference is x86-64's 64-bit significand. aarch64's long double is IEEE
// binary128 (113 bits): the same on every case checked, but a value that is a
// tie on paper can round differently. Any other width is untested.
static_assert(LDBL_MANT_DIG == 64 || LDBL_MANT_DIG == 113,
              "long double must have a 64-bit (x87) or 113-bit (binary128) significand");

namespace platform {

// Whether long double is the reference precision (x86-64's extended format).
inline constexpr bool kReferencePrecision = LDBL_MANT_DIG == 64;

// 1.5 * 2^(p - 1) for the long double significand of p bits. Added to a value
// below 2^(p - 2) in magnitude, it leaves the sum no fraction bits, so the
// addition rounds to an integer in the current mode (nearest, ties to even)
// and the subtraction that follows is exact. A shift made for 64 bits would
// truncate instead on a wider significand.
inline constexpr long double kRoundingShift = LDBL_MANT_DIG == 64 ? 0x1.8p63L : 0x1.8p112L;

// x rounded to an integer, ties to even, for |x| < 2^62: the addition does it.
inline long double RoundHalfEvenSmall(long double x) {
    return (x + kRoundingShift) - kRoundingShift;
}

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
