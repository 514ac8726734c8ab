// Test-only graph pieces for filter tests: a node whose image holds bytes the
// test chooses, and a small graph that renders one filter fed by such nodes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "support/TestSupport.h"

namespace {

using Pixels = std::vector<uint8_t>;

// 4 bytes per pixel, row by row.
inline Pixels Px(std::initializer_list<std::initializer_list<uint8_t>> pixels) {
    Pixels bytes;
    for (const auto& p : pixels) bytes.insert(bytes.end(), p.begin(), p.end());
    return bytes;
}

inline Pixels Uniform(int count, std::initializer_list<uint8_t> pixel) {
    Pixels bytes;
    for (int i = 0; i < count; ++i) bytes.insert(bytes.end(), pixel.begin(), pixel.end());
    return bytes;
}

class PixelFeed : public Node {
public:
    PixelFeed(int width, int height, Pixels bytes)
        : Node("Pixel feed", 250, width, height), bytes_(std::move(bytes)) {}
    std::unique_ptr<Node> Clone() const override {
        return std::make_unique<PixelFeed>(image->width, image->height, bytes_);
    }
    void Update() override {
        GatherInputs();
        std::copy_n(bytes_.begin(), std::min(bytes_.size(), image->byteCount()), image->bytes());
        NodeDone();
    }

private:
    Pixels bytes_;
};

// One filter of the registry at width x height, wired to the Store.
class FilterRig {
public:
    FilterRig(uint8_t typeId, int width, int height) : graph_(width, height) {
        filter = graph_.AddNode(registry_.CreateNode(typeId));
        graph_.Connect(filter->outputPin.get(), graph_.store()->inputPins[0].get());
    }

    void Feed(int pin, Pixels bytes) {
        Node* feed = graph_.AddNode(
            std::make_unique<PixelFeed>(graph_.width, graph_.height, std::move(bytes)));
        graph_.Connect(feed->outputPin.get(), filter->inputPins[pin].get());
    }

    FilterRig& Set(int param, int16_t value) {
        filter->param(param).SetValue(value);
        return *this;
    }

    Pixels Render() {
        graph_.Render();
        return Bytes(*filter->image);
    }

    Node* filter;

private:
    NodeRegistry registry_;
    NodeGraph graph_;
};

}  // namespace
