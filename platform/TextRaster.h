// Headless text rasteriser: choose a font, measure a text, draw it opaquely
// into an RGB surface of the measured size, read pixels back. FreeType draws
// the glyphs; fontconfig finds faces by name. Texts are single-byte
// characters in the Windows-1252 encoding. The FreeType library and the face
// cache are shared without a lock: call from one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

// A face at a character cell height, following the Windows font mapper: the
// cell (ascent + descent) is `cellHeight` pixels, the weight the nearest the
// family has, emboldened synthetically when a bold is asked of a family
// without one.
class TextFont {
public:
    // Never null. The face is fontconfig's best match for the name (an
    // unknown name gets the default face); when no face can be opened at all
    // the font is empty: it measures 0 x 0 and draws nothing. The height is
    // taken as 1 … 255 pixels, the weight as 1 … 1000.
    static std::unique_ptr<TextFont> Choose(const std::string& faceName, int cellHeight,
                                            int weight);
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    bool empty() const { return !face_; }
    const std::string& family() const { return family_; }
    bool emboldened() const { return emboldenX_ > 0; }
    int cellHeight() const { return cellHeight_; }
    int ascent() const { return ascent_; }

    // Width: the sum of the glyph advances in whole pixels; height: the cell.
    TextExtent Measure(const std::string& text) const;

    // Anti-aliased coverage (0 … 255) of the text drawn with its cell's top
    // left corner at (0, 0) into a width x height block, row by row; where
    // glyphs overlap the larger coverage stays. Cut at the block's edges.
    void Rasterise(const std::string& text, uint8_t* coverage, int width, int height) const;

private:
    struct Face;
    TextFont() = default;
    // Loads one character's glyph into the face's slot, emboldened where
    // asked; returns its advance in 26.6 pixels, or -1 on failure.
    long LoadGlyph(unsigned char c) const;
    bool Open(const std::string& file, int index, int cellHeight);

    std::unique_ptr<Face> face_;
    std::string family_;
    long emboldenX_ = 0;  // 26.6 pixels added to every stroke and advance
    int cellHeight_ = 0;
    int ascent_ = 0;
};

// An off-screen surface holding one font, one RGB bitmap (black when made)
// and a text colour; what a memory drawing context is to the Windows port.
class TextSurface {
public:
    void SelectFont(std::unique_ptr<TextFont> font) { font_ = std::move(font); }
    // 0 x 0 without a font.
    TextExtent MeasureText(const std::string& text) const;

    // A black bitmap of the given size (one without pixels is fine); false,
    // leaving a 0 x 0 bitmap, when it is too large or cannot be allocated.
    bool CreateBitmap(int width, int height);
    void SetTextColor(Rgb colour) { textColour_ = colour; }

    // Draws at (0, 0), opaquely: the text's whole extent is painted black
    // first, then the glyphs in the text colour; cut at the bitmap's edges.
    void DrawText(const std::string& text);

    // Black outside the bitmap.
    Rgb GetPixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
        const uint8_t* p = &pixels_[3 * (static_cast<size_t>(y) * width_ + x)];
        return {p[0], p[1], p[2]};
    }
    int width() const { return width_; }
    int height() const { return height_; }

    // Largest bitmap accepted, in pixels (3 bytes each).
    static constexpr int64_t kMaxPixels = int64_t{1} << 25;

private:
    std::unique_ptr<TextFont> font_;
    std::unique_ptr<uint8_t[]> pixels_;  // red, green, blue per pixel
    int width_ = 0;
    int height_ = 0;
    Rgb textColour_;
};

}  // namespace platform
