#include "platform/TextRaster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <utility>
#include <vector>

namespace platform {

struct TextFont::Face {
    FT_Face ft = nullptr;
    ~Face() {
        if (ft) FT_Done_Face(ft);
    }
};

namespace {

// Faces tried in fontconfig's order when the best match cannot be opened.
constexpr size_t kMaxCandidates = 8;
// Names typed into the panel arrive one keystroke at a time; keep the cache small.
constexpr size_t kMaxCachedMatches = 256;
// Widest text measured, so that positions stay far from integer overflow.
constexpr long kMaxTextWidth = 1 << 20;
// The Windows font mapper synthesises bold from this weight on.
constexpr double kBoldWeight = 600;

struct Candidate {
    std::string file;
    int index = 0;
    double weight = 400;  // OpenType scale
    std::string family;
};

// One library for the whole run: fonts of long-lived nodes may outlive any
// static owner, so it is never released.
FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
    }();
    return library;
}

// Our own configuration (not fontconfig's shared one), so that it can be
// released at exit without pulling it from under other users of fontconfig.
FcConfig* Config() {
    static const std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)> config(
        FcInitLoadConfigAndFonts(), &FcConfigDestroy);
    return config.get();
}

double OpenTypeWeightOf(const FcPattern* font) {
    FcValue v;
    if (FcPatternGet(font, FC_WEIGHT, 0, &v) != FcResultMatch) return 400;
    if (v.type == FcTypeInteger) return FcWeightToOpenTypeDouble(v.u.i);
    if (v.type == FcTypeDouble) return FcWeightToOpenTypeDouble(v.u.d);
    return 400;  // a variable font's range: its default instance
}

Candidate CandidateOf(const FcPattern* font) {
    Candidate c;
    FcChar8* text = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &text) == FcResultMatch)
        c.file = reinterpret_cast<const char*>(text);
    FcPatternGetInteger(font, FC_INDEX, 0, &c.index);
    if (FcPatternGetString(font, FC_FAMILY, 0, &text) == FcResultMatch)
        c.family = reinterpret_cast<const char*>(text);
    c.weight = OpenTypeWeightOf(font);
    return c;
}

// fontconfig's faces for a family name and weight, best first. The family
// binds more strongly than the weight, so the first face is the family's
// nearest weight; an unknown family gets the configured default.
std::vector<Candidate> FindCandidates(const std::string& name, int weight) {
    std::vector<Candidate> found;
    FcConfig* config = Config();
    FcPattern* pattern = config ? FcPatternCreate() : nullptr;
    if (!pattern) return found;
    // Added as a value, not parsed, so names with ':' or '-' stay whole.
    if (!name.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddDouble(pattern, FC_WEIGHT, FcWeightFromOpenTypeDouble(weight));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcFontSet* fonts = FcFontSort(config, pattern, FcFalse, nullptr, &result)) {
        for (int i = 0; i < fonts->nfont && found.size() < kMaxCandidates; ++i) {
            Candidate c = CandidateOf(fonts->fonts[i]);
            if (!c.file.empty()) found.push_back(std::move(c));
        }
        FcFontSetDestroy(fonts);
    }
    FcPatternDestroy(pattern);
    return found;
}

const std::vector<Candidate>& CandidatesFor(const std::string& name, int weight) {
    static std::map<std::pair<std::string, int>, std::vector<Candidate>> cache;
    auto key = std::make_pair(name, weight);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() >= kMaxCachedMatches) cache.clear();
    return cache.emplace(key, FindCandidates(name, weight)).first->second;
}

// Ascent and descent in font units as the Windows mapper takes them: the OS/2
// table's usWinAscent and usWinDescent, else hhea, else the face's own.
std::pair<long, long> CellMetrics(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return {os2->usWinAscent, os2->usWinDescent};
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (hhea && hhea->Ascender - hhea->Descender > 0) return {hhea->Ascender, -hhea->Descender};
    return {face->ascender, -face->descender};
}

// Windows-1252 to Unicode; the other bytes are Latin-1.
FT_ULong CodePointOf(unsigned char c) {
    static constexpr uint16_t k80To9F[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return c >= 0x80 && c <= 0x9F ? k80To9F[c - 0x80] : c;
}

// Keeps the larger coverage where a glyph's bitmap overlaps what is there.
void BlendGlyph(const FT_Bitmap& bitmap, int left, int top, uint8_t* coverage, int width,
                int height) {
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer) return;
    const int rows = static_cast<int>(bitmap.rows);
    const int pitch = bitmap.pitch;
    for (int row = 0; row < rows; ++row) {
        const int y = top + row;
        if (y < 0 || y >= height) continue;
        // A negative pitch stores the rows bottom up.
        const uint8_t* src =
            bitmap.buffer +
            static_cast<ptrdiff_t>(pitch >= 0 ? row : rows - 1 - row) * std::abs(pitch);
        uint8_t* dst = coverage + static_cast<size_t>(y) * width;
        for (int col = 0; col < static_cast<int>(bitmap.width); ++col) {
            const int x = left + col;
            if (x >= 0 && x < width) dst[x] = std::max(dst[x], src[col]);
        }
    }
}

// Whole pixels, at least one, near the em / 24 that FreeType's own emboldening
// uses; whole pixels keep hinted advances on the pixel grid.
long SyntheticBoldWidening(FT_Face face) {
    const long em = face->size->metrics.y_ppem * 64L;
    return std::max(64L, (em / 24 + 32) & ~63L);
}

uint8_t Scale(uint8_t level, uint8_t coverage) {
    return static_cast<uint8_t>((level * coverage + 127) / 255);
}

}  // namespace

TextFont::~TextFont() = default;

std::unique_ptr<TextFont> TextFont::Choose(const std::string& faceName, int cellHeight,
                                           int weight) {
    std::unique_ptr<TextFont> font(new TextFont);
    cellHeight = std::clamp(cellHeight, 1, 255);
    weight = std::clamp(weight, 1, 1000);
    for (const Candidate& c : CandidatesFor(faceName, weight)) {
        if (!font->Open(c.file, c.index, cellHeight)) continue;
        font->family_ = c.family;
        if (weight >= kBoldWeight && c.weight < kBoldWeight)
            font->emboldenX_ = SyntheticBoldWidening(font->face_->ft);
        break;
    }
    return font;
}

bool TextFont::Open(const std::string& file, int index, int cellHeight) {
    FT_Library library = Library();
    auto face = std::make_unique<Face>();
    if (!library || FT_New_Face(library, file.c_str(), index, &face->ft) != 0) {
        face->ft = nullptr;
        return false;
    }
    FT_Face ft = face->ft;
    const auto [ascent, descent] = CellMetrics(ft);
    if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0 || ascent + descent <= 0) return false;
    // The em that makes ascent + descent one cell, in 26.6 pixels.
    const long em =
        std::lround(cellHeight * 64.0 * ft->units_per_EM / static_cast<double>(ascent + descent));
    if (FT_Set_Char_Size(ft, 0, std::max(em, 1L), 72, 72) != 0) return false;
    // Symbol fonts have no Unicode map; their own map then stays selected.
    FT_Select_Charmap(ft, FT_ENCODING_UNICODE);
    cellHeight_ = cellHeight;
    ascent_ =
        static_cast<int>(std::lround(static_cast<double>(cellHeight) * static_cast<double>(ascent) /
                                     static_cast<double>(ascent + descent)));
    face_ = std::move(face);
    return true;
}

long TextFont::LoadGlyph(unsigned char c) const {
    FT_Face ft = face_->ft;
    FT_UInt glyph = FT_Get_Char_Index(ft, CodePointOf(c));
    // Symbol fonts keep their characters at 0xF000 + byte.
    if (!glyph && ft->charmap && ft->charmap->encoding == FT_ENCODING_MS_SYMBOL)
        glyph = FT_Get_Char_Index(ft, 0xF000u | c);
    if (FT_Load_Glyph(ft, glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return -1;
    FT_GlyphSlot slot = ft->glyph;
    if (emboldenX_ && slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_EmboldenXY(&slot->outline, emboldenX_, 0);
    return std::clamp<long>(slot->advance.x + emboldenX_, 0, kMaxTextWidth * 64);
}

TextExtent TextFont::Measure(const std::string& text) const {
    if (empty()) return {};
    long pen = 0;  // 26.6 pixels
    for (unsigned char c : text) pen += std::max(LoadGlyph(c), 0L);
    return {static_cast<int>(std::min((pen + 32) >> 6, kMaxTextWidth)), cellHeight_};
}

void TextFont::Rasterise(const std::string& text, uint8_t* coverage, int width, int height) const {
    if (empty()) return;
    long pen = 0;  // 26.6 pixels; glyph origins on whole pixels
    for (unsigned char c : text) {
        const long advance = LoadGlyph(c);
        if (advance < 0) continue;
        FT_GlyphSlot slot = face_->ft->glyph;
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
            const int originX = static_cast<int>((pen + 32) >> 6);
            BlendGlyph(slot->bitmap, originX + slot->bitmap_left, ascent_ - slot->bitmap_top,
                       coverage, width, height);
        }
        pen += advance;
    }
}

TextExtent TextSurface::MeasureText(const std::string& text) const {
    return font_ ? font_->Measure(text) : TextExtent{};
}

bool TextSurface::CreateBitmap(int width, int height) {
    pixels_.reset();
    width_ = height_ = 0;
    if (width < 0 || height < 0 || int64_t{width} * height > kMaxPixels) return false;
    const size_t bytes = 3 * static_cast<size_t>(width) * height;
    pixels_.reset(new (std::nothrow) uint8_t[std::max<size_t>(bytes, 1)]);
    if (!pixels_) return false;
    std::memset(pixels_.get(), 0, bytes);
    width_ = width;
    height_ = height;
    return true;
}

void TextSurface::DrawText(const std::string& text) {
    const TextExtent extent = MeasureText(text);
    const int w = std::min(extent.width, width_);
    const int h = std::min(extent.height, height_);
    if (w <= 0 || h <= 0) return;
    const size_t count = static_cast<size_t>(w) * h;
    std::unique_ptr<uint8_t[]> coverage(new (std::nothrow) uint8_t[count]());
    if (!coverage) return;
    font_->Rasterise(text, coverage.get(), w, h);
    // Each channel's level at every coverage, looked up rather than divided
    // per pixel.
    uint8_t r[256], g[256], b[256];
    for (int a = 0; a < 256; ++a) {
        r[a] = Scale(textColour_.r, a);
        g[a] = Scale(textColour_.g, a);
        b[a] = Scale(textColour_.b, a);
    }
    // Opaque: coverage 0 paints the black background.
    for (int y = 0; y < h; ++y) {
        uint8_t* p = &pixels_[3 * static_cast<size_t>(y) * width_];
        const uint8_t* a = &coverage[static_cast<size_t>(y) * w];
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = r[a[x]];
            p[1] = g[a[x]];
            p[2] = b[a[x]];
        }
    }
}

}  // namespace platform
