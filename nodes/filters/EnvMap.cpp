#include "nodes/filters/EnvMap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr double kPerLevel = 0.00392156862745098;  // the double nearest 1/255
constexpr double kRadiusBias = 0.0001;
constexpr double kAttenuationStep = 0.01;

struct Spot {
    int rmax;    // half the larger side; 0 for a 1 x 1 image
    double a;    // attenuation
    double k;    // slope
    double inv;  // 1 / rmax
};

Spot MakeSpot(int width, int height, int radius, int attenuation) {
    Spot spot;
    spot.rmax = std::max(width, height) / 2;
    const double rr = platform::dbl(static_cast<long double>(radius) * kPerLevel + kRadiusBias);
    spot.a = platform::dbl(static_cast<long double>(attenuation - 512) * kAttenuationStep);
    spot.k = platform::dbl((static_cast<long double>(spot.a) * rr * rr + 255) / rr);
    spot.inv = spot.rmax == 0 ? 0 : platform::dbl(1.0L / spot.rmax);
    return spot;
}

// The level at squared distance `squares` from the centre, limited to 0 ... 255.
int SpotLevel(const Spot& spot, int squares) {
    // With rmax 0 the distance scale 1 / rmax has no value (0 x infinity at the
    // only pixel), which converts to 0.
    if (spot.rmax == 0) return 0;
    const long double dist = sqrtl(squares);
    const long double t = 255 - (dist * spot.inv) * spot.k;
    return std::clamp(platform::TruncToInt(t * spot.a), 0, 255);
}

enum Slot { kRadius, kCubAtt, kChannel, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Radius", 0, 512, 255),
    param::Int("Cub. Att.", 0, 1023, 512),
    param::Choice("Channel", kChannelOptions),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

EnvMap::EnvMap(int width, int height) : Node("Environment map", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

namespace {

#if defined(__x86_64__)
// SpotLevel of columns [x, w) four at a time in double lanes; returns where it
// stopped. sqrt, the products and the difference are each one correctly
// rounded double operation where the plain code rounds each to extended
// precision, so the double t·a lies within a few units of 2^-53 of the sizes
// involved (|a|·(255 + (dist·inv)·k) and |t·a|) from the extended one; where
// the value moved by 2^-46 of those sizes either way truncates and clamps to
// one level, the extended value gives it too. Other lanes take SpotLevel.
__attribute__((target("avx2"))) int SpotLevelsAvx2(const Spot& spot, int cx, int dy2, int x, int w,
                                                   uint8_t* levels) {
    const __m256d inv = _mm256_set1_pd(spot.inv), k = _mm256_set1_pd(spot.k);
    const __m256d a = _mm256_set1_pd(spot.a), full = _mm256_set1_pd(255);
    const __m256d absA = _mm256_set1_pd(std::fabs(spot.a)), sign = _mm256_set1_pd(-0.0);
    const __m256d scale = _mm256_set1_pd(0x1p-46);
    const __m128i zero = _mm_setzero_si128(), top = _mm_set1_epi32(255);
    for (; x + 4 <= w; x += 4) {
        const __m128i dx = _mm_sub_epi32(
            _mm_add_epi32(_mm_set1_epi32(x), _mm_setr_epi32(0, 1, 2, 3)), _mm_set1_epi32(cx));
        const __m128i squares = _mm_add_epi32(_mm_mullo_epi32(dx, dx), _mm_set1_epi32(dy2));
        const __m256d dist = _mm256_sqrt_pd(_mm256_cvtepi32_pd(squares));
        const __m256d far = _mm256_mul_pd(_mm256_mul_pd(dist, inv), k);
        const __m256d y = _mm256_mul_pd(_mm256_sub_pd(full, far), a);
        const __m256d size =
            _mm256_add_pd(_mm256_mul_pd(absA, _mm256_add_pd(full, _mm256_andnot_pd(sign, far))),
                          _mm256_andnot_pd(sign, y));
        const __m256d margin = _mm256_mul_pd(size, scale);
        const __m128i low =
            _mm_min_epi32(_mm_max_epi32(_mm256_cvttpd_epi32(_mm256_sub_pd(y, margin)), zero), top);
        const __m128i high =
            _mm_min_epi32(_mm_max_epi32(_mm256_cvttpd_epi32(_mm256_add_pd(y, margin)), zero), top);
        const int unsure = ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(low, high))) & 15;
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(low, low), low);
        const int bytes = _mm_cvtsi128_si32(packed);
        std::memcpy(levels + x, &bytes, 4);
        for (int u = unsure; u != 0; u &= u - 1) {
            const int i = x + __builtin_ctz(u);
            levels[i] = static_cast<uint8_t>(SpotLevel(spot, (i - cx) * (i - cx) + dy2));
        }
    }
    return x;
}
#endif

// The levels of one row at squared vertical distance dy2, the row's right half
// worked out and mirrored: columns cx - d and cx + d lie at the same distance.
void RowLevels(const Spot& spot, int cx, int dy2, std::vector<uint8_t>& levels,
               [[maybe_unused]] bool avx2) {
    const int w = static_cast<int>(levels.size());
    int right = cx;
#if defined(__x86_64__)
    if (avx2) right = SpotLevelsAvx2(spot, cx, dy2, right, w, levels.data());
#endif
    for (; right < w; ++right)
        levels[right] = static_cast<uint8_t>(SpotLevel(spot, (right - cx) * (right - cx) + dy2));
    for (int x = 0; x < cx; ++x)
        levels[x] = 2 * cx - x < w
                        ? levels[2 * cx - x]
                        : static_cast<uint8_t>(SpotLevel(spot, (x - cx) * (x - cx) + dy2));
}

// The pixel of every level: the level in the chosen colour bytes, 255 in the
// fourth.
std::array<std::array<uint8_t, 4>, 256> PixelsOfLevels(int channel) {
    std::array<std::array<uint8_t, 4>, 256> pixels;
    for (int level = 0; level < 256; ++level) {
        for (int c = 0; c < 3; ++c)
            pixels[level][c] = (channel == 3 || channel == c) ? uint8_t(level) : uint8_t{0};
        pixels[level][3] = 255;
    }
    return pixels;
}

}  // namespace

void EnvMap::Compute() {
    const auto pixels = PixelsOfLevels(value(kChannel));
    const Spot spot = MakeSpot(image->width, image->height, value(kRadius), value(kCubAtt));
    const int cx = image->width / 2;
    const int cy = image->height / 2;
    const int h = image->height;
    // rmax 0 has no distance scale: the plain code's case.
    const bool avx2 = platform::ActiveSimd() >= platform::SimdLevel::Avx2 && spot.rmax != 0;
    // Every pixel depends on its squared distance from the centre only: rows
    // cy - d and cy + d are the same row, so each band step d writes both from
    // one row of levels.
    ForEachRow(std::max(cy, h - 1 - cy) + 1, RowOrder::kAnyOrder, [&](int d0, int d1) {
        std::vector<uint8_t> levels(image->width);
        for (int d = d0; d < d1; ++d) {
            RowLevels(spot, cx, d * d, levels, avx2);
            for (int y : {cy - d, cy + d}) {
                if (y < 0 || y >= h) continue;
                uint8_t* out = image->pixel(0, y);
                for (uint8_t level : levels) {
                    std::memcpy(out, pixels[level].data(), 4);
                    out += 4;
                }
                if (d == 0) break;
            }
        }
    });
}
