#pragma once

#include <memory>
#include <string>

#include "engine/Node.h"
#include "platform/TextRaster.h"

class ND_TEXT : public Node {
public:
    static constexpr uint8_t kTypeId = 13;
    static constexpr NodeTiming kTiming = {"ND_TEXT", true};
    // The node draws copies of "Text" and "Font" cut to this many characters.
    static constexpr size_t kMaxWorkingLength = 255;

    ND_TEXT(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<ND_TEXT>(); }

protected:
    void Compute() override;
    std::string TimerLabel() const override;

private:
    // Font, measured size, bitmap and colour from the current parameters.
    void PrepareSurface();
    void ReleaseSurface() { surface.reset(); }
    std::string WorkingCopy(size_t slot) const;
    void CopyRectangle(int x0, int y0, int x1, int y1);

    // Owned from construction to destruction, rebuilt at every Update.
    std::unique_ptr<platform::TextSurface> surface;
    int32_t textWidth = 0;
    int32_t textHeight = 0;
    // The copied rectangle's size minus one, for the log line.
    int drawnWidth = 0;
    int drawnHeight = 0;
};
