#pragma once

#include <memory>

#include "engine/Node.h"

class BrightnessContrast : public Node {
public:
    static constexpr uint8_t kTypeId = 5;
    static constexpr NodeTiming kTiming = {"BrightnessContrast::Update"};
    BrightnessContrast(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<BrightnessContrast>(); }

    // L and L^e by sum of squares for one Contrast.
    struct ScaleTable;

protected:
    void Compute() override;

private:
    // The complete table of the last Contrast, kept while Contrast stays.
    std::shared_ptr<const ScaleTable> complete_;
};
