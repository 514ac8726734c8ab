// A small graph around one filter node, fed from nodes with fixed pixels.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "support/TestSupport.h"

using Pixel = std::array<uint8_t, 4>;
using Pixels = std::vector<uint8_t>;

// 4 bytes per pixel, row by row.
inline Pixels Px(std::initializer_list<std::initializer_list<uint8_t>> pixels) {
    Pixels bytes;
    for (const auto& p : pixels) bytes.insert(bytes.end(), p.begin(), p.end());
    return bytes;
}

// A node whose Update leaves the given bytes in its image.
class FixedPixels : public Node {
public:
    FixedPixels(int width, int height, std::vector<uint8_t> bytes)
        : Node("Fixed pixels", 250, width, height), bytes_(std::move(bytes)) {}
    std::unique_ptr<Node> Clone() const override {
        return std::make_unique<FixedPixels>(image->width, image->height, bytes_);
    }
    void Update() override {
        std::copy_n(bytes_.begin(), std::min(bytes_.size(), image->byteCount()), image->bytes());
        NodeDone();
    }

private:
    std::vector<uint8_t> bytes_;
};

// A width x height graph whose Store shows one node of the given type.
class FilterRig {
public:
    FilterRig(uint8_t typeId, int width, int height) : graph(width, height) {
        filter = graph.AddNode(registry.CreateNode(typeId));
        graph.Connect(filter->outputPin.get(), graph.store()->inputPins[0].get());
    }

    // Feeds input pin `pin` from a node holding `bytes`.
    void Feed(const std::vector<uint8_t>& bytes, int pin = 0) {
        Node* source = graph.AddNode(std::make_unique<FixedPixels>(graph.width, graph.height, bytes));
        graph.Connect(source->outputPin.get(), filter->inputPins[pin].get());
    }
    // Feeds input pin `pin` from the filter's own output.
    void FeedItself(int pin = 0) {
        graph.Connect(filter->outputPin.get(), filter->inputPins[pin].get());
    }
    FilterRig& Set(int param, int value) {
        filter->param(param).SetValue(static_cast<int16_t>(value));
        return *this;
    }

    std::vector<uint8_t> Render() {
        graph.Render();
        return Bytes(*filter->image);
    }
    Pixel At(int x, int y) const {
        const uint8_t* p = filter->image->pixel(x, y);
        return {p[0], p[1], p[2], p[3]};
    }

    NodeRegistry registry;
    NodeGraph graph;
    Node* filter;
};

inline std::vector<uint8_t> Uniform(int pixelCount, Pixel pixel) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < pixelCount; ++i) bytes.insert(bytes.end(), pixel.begin(), pixel.end());
    return bytes;
}

inline std::vector<uint8_t> RandomBytes(int pixelCount, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(4 * pixelCount);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}
