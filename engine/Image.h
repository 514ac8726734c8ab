// A rectangle of 32-bit pixels: row by row from the top, no padding.
// Byte 0 red, 1 green, 2 blue, 3 a fourth byte only some node types use.
#pragma once

#include <cstdint>
#include <memory>

class Image {
public:
    // Largest side the program accepts (texture files, size commands).
    static constexpr int kMaxSide = 8192;

    // A new zero-filled image, or null after logging "null: no %ix%ix4 buf"
    // when the size is impossible or the pixels cannot be allocated.
    static std::unique_ptr<Image> Create(int width, int height);

    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(pixels); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(pixels); }
    uint8_t* pixel(int x, int y) { return bytes() + 4 * (static_cast<int64_t>(y) * width + x); }
    const uint8_t* pixel(int x, int y) const {
        return bytes() + 4 * (static_cast<int64_t>(y) * width + x);
    }
    size_t byteCount() const { return static_cast<size_t>(pixelCount) * 4; }

    // Which contents the pixels hold: every new image and every write takes
    // the next number of one program-wide count, so two readings of the same
    // version saw the same bytes. Whoever writes the pixels calls Written.
    uint64_t version() const { return version_; }
    void Written();
    // For a copy of `original` that now holds the same bytes.
    void CopiedFrom(const Image& original) { version_ = original.version_; }

    const int32_t width;
    const int32_t height;
    const int32_t pixelCount;
    uint32_t* const pixels;

private:
    Image(int w, int h, uint32_t* p);

    uint64_t version_;
};
