#include "nodes/generators/RawNoise.h"

#include <iterator>

#include "engine/RowBands.h"
#include "platform/CRand.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

enum Slot { kAmount, kGate, kRandom, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Amount", 0, 255, 100),
    param::Int("Gate", 0, 255, 0),
    param::Int("Random", 1, 127, 1),
};
static_assert(std::size(kParams) == kSlotCount);

// The output byte of one draw's 8 bits.
uint8_t Level(int bits, int amount, int gate) {
    const int level = (bits * amount) >> 8;
    return static_cast<uint8_t>(level < gate ? 0 : level);
}

// `count` bytes from `stream` on, one draw each.
void DrawBytes(platform::RandStream stream, uint8_t* bytes, size_t count, int amount, int gate) {
    for (size_t i = 0; i < count; ++i) bytes[i] = Level(stream.Next() & 255, amount, gate);
}

#if defined(__x86_64__)
constexpr size_t kLanes = 32;  // four registers of eight states

// The same bytes as DrawBytes, 32 at a time. Lane i holds the generator's state
// after draw i of the block; every lane steps by 32 draws at once through the
// composed map x -> A x + C (mod 2^32), which is the 32-fold step exactly, since
// 32-bit multiplication and addition wrap as the generator's do. The level is
// integer arithmetic on 8-bit draws: bits × amount < 2^16 fits the low half of
// each 32-bit lane, whose high half is 0, so the 16-bit multiply is exact.
__attribute__((target("avx2"))) void DrawBytesAvx2(platform::RandStream stream, uint8_t* bytes,
                                                   size_t count, int amount, int gate) {
    const size_t blocks = count / kLanes;
    if (blocks == 0) return DrawBytes(stream, bytes, count, amount, gate);
    alignas(32) uint32_t first[kLanes];
    for (size_t i = 0; i < kLanes; ++i) first[i] = stream.Skipped(i + 1).state();
    const uint32_t c = platform::RandStream(0).Skipped(kLanes).state();
    const uint32_t a = platform::RandStream(1).Skipped(kLanes).state() - c;
    const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(a));
    const __m256i increment = _mm256_set1_epi32(static_cast<int>(c));
    const __m256i amounts = _mm256_set1_epi32(amount);
    const __m256i gates = _mm256_set1_epi32(gate);
    const __m256i low8 = _mm256_set1_epi32(255);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    __m256i states[4];
    for (int q = 0; q < 4; ++q)
        states[q] = _mm256_load_si256(reinterpret_cast<const __m256i*>(first + 8 * q));
    for (size_t b = 0; b < blocks; ++b) {
        __m256i levels[4];
        for (int q = 0; q < 4; ++q) {
            const __m256i bits = _mm256_and_si256(_mm256_srli_epi32(states[q], 16), low8);
            const __m256i level = _mm256_srli_epi32(_mm256_mullo_epi16(bits, amounts), 8);
            levels[q] = _mm256_andnot_si256(_mm256_cmpgt_epi32(gates, level), level);
            states[q] = _mm256_add_epi32(_mm256_mullo_epi32(states[q], multiplier), increment);
        }
        // The packs work within 128-bit halves; the permute puts the four
        // registers' bytes back in lane order.
        const __m256i packed = _mm256_packus_epi16(_mm256_packus_epi32(levels[0], levels[1]),
                                                   _mm256_packus_epi32(levels[2], levels[3]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes + kLanes * b),
                            _mm256_permutevar8x32_epi32(packed, order));
    }
    const size_t done = kLanes * blocks;
    DrawBytes(stream.Skipped(done), bytes + done, count - done, amount, gate);
}
#endif

}  // namespace

RawNoise::RawNoise(int width, int height) : Node("Raw Noise", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void RawNoise::Compute() {
    const int amount = value(kAmount);
    const int gate = value(kGate);
    platform::srand(value(kRandom));
    // One draw per byte, the fourth byte included, in memory order. Each band
    // draws its own stretch of the sequence, skipped ahead to its first byte,
    // so any banding draws exactly the serial sequence.
    const platform::RandStream start(platform::RandState());
    const uint64_t rowDraws = 4 * static_cast<uint64_t>(image->width);
    [[maybe_unused]] const bool avx2 = platform::ActiveSimd() >= platform::SimdLevel::Avx2;
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const platform::RandStream stream = start.Skipped(rowDraws * static_cast<uint64_t>(y0));
        uint8_t* bytes = image->pixel(0, y0);
        const size_t count = rowDraws * static_cast<uint64_t>(y1 - y0);
#if defined(__x86_64__)
        if (avx2) return DrawBytesAvx2(stream, bytes, count, amount, gate);
#endif
        DrawBytes(stream, bytes, count, amount, gate);
    });
    platform::SetRandState(start.Skipped(rowDraws * static_cast<uint64_t>(image->height)).state());
}
