#include "nodes/generators/ND_TEXT.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "engine/RowBands.h"

namespace {

enum Slot { kPosX, kPosY, kHeight, kWeight, kText, kColor, kFont, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Pos X", 0, 255, 127), param::Int("Pos Y", 0, 255, 127),
    param::Int("Height", 1, 255, 16), param::Int("Weight", 100, 900, 400),
    param::Text("Text", "blaat!"),    param::Choice("Color", kChannelOptions),
    param::Text("Font", "Arial"),
};
static_assert(std::size(kParams) == kSlotCount);

constexpr platform::Rgb kTextColours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

}  // namespace

ND_TEXT::ND_TEXT(int width, int height) : Node("Text", kTypeId, width, height, kTiming) {
    AddParams(kParams);
    PrepareSurface();
}

std::string ND_TEXT::WorkingCopy(size_t slot) const {
    const std::string text = this->text(slot);
    // A C string copy: it ends at the first NUL, if any.
    return std::string(text.c_str(), std::min(std::strlen(text.c_str()), kMaxWorkingLength));
}

void ND_TEXT::PrepareSurface() {
    surface = std::make_unique<platform::TextSurface>();
    surface->SelectFont(
        platform::TextFont::Choose(WorkingCopy(kFont), value(kHeight), value(kWeight)));
    const platform::TextExtent extent = surface->MeasureText(WorkingCopy(kText));
    textWidth = extent.width;
    textHeight = extent.height;
    // A text too large for a bitmap is drawn as nothing.
    if (!surface->CreateBitmap(textWidth, textHeight)) textWidth = textHeight = 0;
    surface->SetTextColor(kTextColours[std::clamp<int>(value(kColor), 0, 3)]);
}

void ND_TEXT::CopyRectangle(int x0, int y0, int x1, int y1) {
    // Rows apart: the surface is only read.
    ForEachRow(y1 - y0 + 1, RowOrder::kAnyOrder, [&](int r0, int r1) {
        for (int y = y0 + r0; y < y0 + r1; ++y) {
            uint8_t* p = image->pixel(x0, y);
            for (int x = x0; x <= x1; ++x, p += 4) {
                const platform::Rgb c = surface->GetPixel(x - x0, y - y0);
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
                p[3] = 255;
            }
        }
    });
}

void ND_TEXT::Compute() {
    ReleaseSurface();
    PrepareSurface();
    surface->DrawText(WorkingCopy(kText));

    const int w = image->width;
    const int h = image->height;
    int x0 = value(kPosX) * w / 255;
    int y0 = value(kPosY) * h / 255;
    int x1 = x0 + textWidth - 1;
    int y1 = y0 + textHeight - 1;
    if (x0 >= w || y0 >= h || x1 < 0 || y1 < 0) {
        // Wholly outside: nothing copied, but the render's progress still completes.
        x1 = x0 - 1;
        y1 = y0 - 1;
    } else {
        x1 = std::min(x1, w - 1);
        y1 = std::min(y1, h - 1);
        CopyRectangle(x0, y0, x1, y1);
    }
    drawnWidth = x1 - x0;
    drawnHeight = y1 - y0;
}

std::string ND_TEXT::TimerLabel() const {
    char label[64];
    std::snprintf(label, sizeof label, "ND_TEXT (%i by %i)", drawnWidth, drawnHeight);
    return label;
}
