// The channel choice of the generators: which colour bytes receive a level.
#pragma once

#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// Masks for bytes 0, 1 and 2 from the choice index: Red, Green, Blue, R+G+B.
struct ChannelMask {
    uint8_t byte[3];

    static ChannelMask FromChoice(int choice) {
        switch (choice) {
            case 0:
                return {{255, 0, 0}};
            case 1:
                return {{0, 255, 0}};
            case 2:
                return {{0, 0, 255}};
            default:
                return {{255, 255, 255}};
        }
    }

    // Writes the level into the selected bytes, 0 into the others and byte 3.
    void Put(uint8_t* pixel, uint8_t level) const {
        pixel[0] = level & byte[0];
        pixel[1] = level & byte[1];
        pixel[2] = level & byte[2];
        pixel[3] = 0;
    }

    // Put for a row of levels into a row of pixels; eight at a time when
    // `avx2` (the CPU's level allows it).
    void PutRow(const uint8_t* levels, int count, uint8_t* pixels, bool avx2) const;
};

#if defined(__x86_64__)
// Eight levels widened to 32-bit lanes, times 0x010101 in each lane, are the
// level in bytes 0 .. 2; the mask keeps the chosen ones. Returns where it stopped.
__attribute__((target("avx2"))) inline int PutLevelsAvx2(const ChannelMask& mask,
                                                         const uint8_t* levels, int count,
                                                         uint8_t* pixels) {
    const __m256i chosen = _mm256_set1_epi32(mask.byte[0] | mask.byte[1] << 8 | mask.byte[2] << 16);
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i level =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(levels + x)));
        const __m256i pixel =
            _mm256_and_si256(_mm256_mullo_epi32(level, _mm256_set1_epi32(0x010101)), chosen);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + 4 * x), pixel);
    }
    return x;
}
#endif

inline void ChannelMask::PutRow(const uint8_t* levels, int count, uint8_t* pixels,
                                [[maybe_unused]] bool avx2) const {
    int x = 0;
#if defined(__x86_64__)
    if (avx2) x = PutLevelsAvx2(*this, levels, count, pixels);
#endif
    for (; x < count; ++x) Put(pixels + 4 * x, levels[x]);
}
