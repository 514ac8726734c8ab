#include "nodes/filters/Bump.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

struct Light {
    double x, y, h, intensity;
};

// The light direction scaled to length 1 (kept as it is when it has none).
Light MakeLight(double x, double y, double h, double intensity) {
    const long double length = sqrtl((h * h + y * y) + x * x);
    if (length != 0) {
        x = platform::dbl(x / length);
        y = platform::dbl(y / length);
        h = platform::dbl(h / length);
    }
    return {x, y, h, intensity};
}

// The lighting factor f for the brightness gradient (gx, gy). A gradient too
// steep for a unit normal has no square root and gives 0.
int LightFactor(int gx, int gy, const Light& light) {
    long double nx = gx;
    long double ny = gy;
    long double nz = sqrtl(65025 - (gx * gx + gy * gy));
    const long double length = sqrtl((nz * nz + nx * nx) + ny * ny);
    if (length != 0) {
        nx /= length;
        ny /= length;
        nz /= length;
    }
    const long double dot = (nz * light.h + ny * light.y) + nx * light.x;
    return std::max(platform::TruncToInt((dot * light.intensity + 1) * 255), 0);
}

int Average(const uint8_t* p) {
    return (p[0] + p[1] + p[2]) / 3;
}

// f for every gradient, filled on first use: gradients lie in -255 ... 255.
// Bands may fill an entry at once; each writes the same value, a function of
// the gradient alone, so relaxed atomics suffice. f is at most 256 × 255 (a
// unit dot product, Intensity 255), so 16 bits hold it and leave kUnset free;
// half the size of ints, the table misses the cache less on noisy sources.
#if defined(__x86_64__)
// LightFactor of the gradients (gx, gy) .. (gx, gy + 3) in double lanes into f;
// returns the lanes left to LightFactor. Each square root, product, quotient
// and sum is one correctly rounded double operation where the plain code
// rounds to extended precision; with |n| <= 1, |light| <= 1 and the length near
// 255 the double value of (dot · intensity + 1) · 255 stays within
// 2^-53 · (7140 · |intensity| + 255 + |value|) of the extended one, so where the
// value moved by 2^-40 · (255 · |intensity| + 256 + |value|) either way
// truncates to one whole number, the extended value does too. Too steep
// gradients (no square root) give 0 as there. A value near a whole number
// (often, where the length rounds to 255 exactly) is left to LightFactor.
__attribute__((target("avx2"))) int LightFactors4(int gx, int gy, const Light& light,
                                                  int32_t f[4]) {
    const __m128i gys = _mm_add_epi32(_mm_set1_epi32(gy), _mm_setr_epi32(0, 1, 2, 3));
    const __m128i squares = _mm_add_epi32(_mm_set1_epi32(gx * gx), _mm_mullo_epi32(gys, gys));
    const __m128i steep = _mm_cmpgt_epi32(squares, _mm_set1_epi32(65025));
    const __m256d x = _mm256_set1_pd(gx), y = _mm256_cvtepi32_pd(gys);
    const __m256d z =
        _mm256_sqrt_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(_mm_set1_epi32(65025), squares)));
    const __m256d length = _mm256_sqrt_pd(_mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(z, z), _mm256_mul_pd(x, x)), _mm256_mul_pd(y, y)));
    const __m256d nx = _mm256_div_pd(x, length), ny = _mm256_div_pd(y, length);
    const __m256d nz = _mm256_div_pd(z, length);
    const __m256d dot = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(nz, _mm256_set1_pd(light.h)),
                                                    _mm256_mul_pd(ny, _mm256_set1_pd(light.y))),
                                      _mm256_mul_pd(nx, _mm256_set1_pd(light.x)));
    const __m256d intensity = _mm256_set1_pd(light.intensity);
    const __m256d value = _mm256_mul_pd(
        _mm256_add_pd(_mm256_mul_pd(dot, intensity), _mm256_set1_pd(1)), _mm256_set1_pd(255));
    const __m256d sign = _mm256_set1_pd(-0.0);
    const __m256d size = _mm256_add_pd(_mm256_set1_pd(255 * std::fabs(light.intensity) + 256),
                                       _mm256_andnot_pd(sign, value));
    const __m256d margin = _mm256_mul_pd(size, _mm256_set1_pd(0x1p-40));
    const __m128i low = _mm256_cvttpd_epi32(_mm256_sub_pd(value, margin));
    const __m128i high = _mm256_cvttpd_epi32(_mm256_add_pd(value, margin));
    const __m128i factor =
        _mm_andnot_si128(steep, _mm_max_epi32(_mm256_cvttpd_epi32(value), _mm_setzero_si128()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(f), factor);
    // No intensity or no light makes every value 255 exactly, in both chains.
    const bool flat = light.intensity == 0 || (light.x == 0 && light.y == 0 && light.h == 0);
    const __m128i sure = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(low, high), steep),
                                      _mm_set1_epi32(flat ? -1 : 0));
    return ~_mm_movemask_ps(_mm_castsi128_ps(sure)) & 15;
}
#endif

class FactorCache {
public:
    // One entry more than the gradients, so that a 32-bit load reads the last.
    explicit FactorCache(const Light& light) : light_(light), factors_(511 * 511 + 1) {
        for (auto& f : factors_) f.store(kUnset, std::memory_order_relaxed);
    }

    // Every entry at once, on every core, four gradients at a time: for
    // sources with more pixels than gradients, which reach most of them.
    void FillAll() {
        ForEachRow(511, RowOrder::kAnyOrder, [&](int r0, int r1) {
            for (int gx = r0 - 255; gx < r1 - 255; ++gx) {
                std::atomic<uint16_t>* row = &factors_[(gx + 255) * 511 + 255];
                int gy = -255;
#if defined(__x86_64__)
                for (int32_t f[4]; gy + 4 <= 256; gy += 4) {
                    const int unsure = LightFactors4(gx, gy, light_, f);
                    for (int k = 0; k < 4; ++k)
                        row[gy + k].store(
                            static_cast<uint16_t>(
                                unsure & (1 << k) ? LightFactor(gx, gy + k, light_) : f[k]),
                            std::memory_order_relaxed);
                }
#endif
                for (; gy <= 255; ++gy)
                    row[gy].store(static_cast<uint16_t>(LightFactor(gx, gy, light_)),
                                  std::memory_order_relaxed);
            }
        });
    }
    // The entries as 16-bit numbers, once FillAll has set every one and the
    // bands only read them.
    const uint16_t* Filled() const {
        return reinterpret_cast<const uint16_t*>(factors_.data());
    }

    int operator()(int gx, int gy) {
        std::atomic<uint16_t>& entry = factors_[(gx + 255) * 511 + gy + 255];
        uint16_t f = entry.load(std::memory_order_relaxed);
        if (f == kUnset) {
            f = static_cast<uint16_t>(LightFactor(gx, gy, light_));
            entry.store(f, std::memory_order_relaxed);
        }
        return f;
    }

private:
    static constexpr uint16_t kUnset = 0xFFFF;
    Light light_;
    std::vector<std::atomic<uint16_t>> factors_;
    static_assert(sizeof(std::atomic<uint16_t>) == sizeof(uint16_t));
};

enum Slot { kLightX, kLightY, kLightH, kIntensity, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Light X", -255, 255, 0),
    param::Int("Light Y", -255, 255, 0),
    param::Int("Light H", 0, 255, 127),
    param::Int("Intensity", 0, 255, 127),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

Bump::Bump(int width, int height) : Node("Bump", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

namespace {

// Output bytes 0 .. 2 of one pixel; byte 3 is never written.
void Lit(const uint8_t* in, int f, uint8_t* out) {
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(std::min(in[c] * f / 255, 255));
}

// The per-pixel loop, reading the source as it goes: a source that is the
// target is read while it is written, in row order, and gives what that order
// gives.
void PlainRows(const Image& source, Image& target, FactorCache& factor, int y0, int y1) {
    const int w = target.width, h = target.height;
    for (int y = y0; y < y1; ++y) {
        const int up = y == 0 ? h - 1 : y - 1;
        const int down = y + 1 == h ? 0 : y + 1;
        for (int x = 0; x < w; ++x) {
            const int xl = x == 0 ? w - 1 : x - 1;
            const int xr = x + 1 == w ? 0 : x + 1;
            const int gx = Average(source.pixel(xr, y)) - Average(source.pixel(xl, y));
            const int gy = Average(source.pixel(x, down)) - Average(source.pixel(x, up));
            Lit(source.pixel(x, y), factor(gx, gy), target.pixel(x, y));
        }
    }
}

// The averages of row y, wrapped.
void AverageRow(const Image& source, int y, std::vector<int>& row) {
    const int h = source.height;
    const uint8_t* p = source.pixel(0, (y + h) % h);
    for (size_t x = 0; x < row.size(); ++x, p += 4) row[x] = Average(p);
}

#if defined(__x86_64__)
// Eight pixels from x on (none at an edge) of BufferedRows, with every factor
// already in the table: the same integer steps. in · f is below 2^24, and
// (v · 0x80808081) >> 39 is v / 255 for every 32-bit v; byte 3 keeps what the
// target held.
__attribute__((target("avx2"))) __m256i Load8(const int* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) void LitEight(const int* up, const int* mid, const int* down, int x,
                                              const uint16_t* factors, const uint8_t* in,
                                              uint8_t* out) {
    const __m256i gx = _mm256_sub_epi32(Load8(mid + x + 1), Load8(mid + x - 1));
    const __m256i gy = _mm256_sub_epi32(Load8(down + x), Load8(up + x));
    const __m256i index = _mm256_add_epi32(
        _mm256_mullo_epi32(_mm256_add_epi32(gx, _mm256_set1_epi32(255)), _mm256_set1_epi32(511)),
        _mm256_add_epi32(gy, _mm256_set1_epi32(255)));
    const __m256i f =
        _mm256_and_si256(_mm256_i32gather_epi32(reinterpret_cast<const int*>(factors), index, 2),
                         _mm256_set1_epi32(0xFFFF));
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 4 * x));
    const __m256i magic = _mm256_set1_epi64x(0x80808081);
    __m256i lit =
        _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + 4 * x)),
                         _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
    for (int c = 0; c < 3; ++c) {
        const __m256i level =
            _mm256_and_si256(_mm256_srli_epi32(pixels, 8 * c), _mm256_set1_epi32(255));
        const __m256i v = _mm256_mullo_epi32(level, f);
        const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(v, magic), 39);
        const __m256i odd = _mm256_slli_epi64(
            _mm256_srli_epi64(_mm256_mul_epu32(_mm256_srli_epi64(v, 32), magic), 39), 32);
        const __m256i q = _mm256_min_epu32(_mm256_or_si256(even, odd), _mm256_set1_epi32(255));
        lit = _mm256_or_si256(lit, _mm256_slli_epi32(q, 8 * c));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * x), lit);
}
#endif

// PlainRows for a source other than the target: the same integer steps, each
// pixel's average worked out once into one of three rolling row buffers.
void BufferedRows(const Image& source, Image& target, FactorCache& factor,
                  [[maybe_unused]] const uint16_t* filled, int y0, int y1) {
    const int w = target.width;
    std::vector<int> up(w), mid(w), down(w);
    AverageRow(source, y0 - 1, up);
    AverageRow(source, y0, mid);
    for (int y = y0; y < y1; ++y) {
        AverageRow(source, y + 1, down);
        const uint8_t* in = source.pixel(0, y);
        uint8_t* out = target.pixel(0, y);
        const auto pixel = [&](int x) {
            const int xl = x == 0 ? w - 1 : x - 1;
            const int xr = x + 1 == w ? 0 : x + 1;
            Lit(in + 4 * x, factor(mid[xr] - mid[xl], down[x] - up[x]), out + 4 * x);
        };
        int x = 0;
#if defined(__x86_64__)
        if (filled && w > 9)
            for (pixel(x++); x + 9 <= w; x += 8)
                LitEight(up.data(), mid.data(), down.data(), x, filled, in, out);
#endif
        for (; x < w; ++x) pixel(x);
        std::swap(up, mid);
        std::swap(mid, down);
    }
}

}  // namespace

// Every pixel is computed, the border ones with neighbours wrapped around so
// textures stay tileable.
void Bump::Compute() {
    FactorCache factor(
        MakeLight(value(kLightX), value(kLightY), value(kLightH), value(kIntensity)));
    const Image& source = *inputImages[0];
    // The plain level keeps the per-pixel loop as the reference.
    const bool plain =
        &source == image.get() || platform::ActiveSimd() == platform::SimdLevel::Plain;
    const bool fill = !plain && platform::ActiveSimd() >= platform::SimdLevel::Avx2 &&
                      source.pixelCount > 511 * 511;
    if (fill) factor.FillAll();
    const uint16_t* filled = fill ? factor.Filled() : nullptr;
    ForEachRow(image->height, NeighbourhoodRowOrder(), [&](int y0, int y1) {
        if (plain)
            PlainRows(source, *image, factor, y0, y1);
        else
            BufferedRows(source, *image, factor, filled, y0, y1);
    });
}
