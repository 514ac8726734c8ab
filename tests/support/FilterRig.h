// One filter node fed fixed pixels, through the public graph API alone.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "support/TestSupport.h"

using Pixel = std::array<uint8_t, 4>;
using Pixels = std::vector<uint8_t>;
using Params = std::vector<int>;

// A w x h image, 4 bytes per pixel, row by row, whose pixel (x, y) is f(x, y).
template <class F>
Pixels Draw(int w, int h, F f) {
    Pixels bytes(4 * w * h);
    for (int i = 0; i < w * h; ++i) std::ranges::copy(Pixel(f(i % w, i / w)), &bytes[4 * i]);
    return bytes;
}

// One row of the given pixels.
inline Pixels Px(std::initializer_list<Pixel> pixels) {
    return Draw(static_cast<int>(pixels.size()), 1, [&](int x, int) { return pixels.begin()[x]; });
}

inline Pixels Uniform(int count, Pixel p) {
    return Draw(count, 1, [p](int, int) { return p; });
}

inline Pixels RandomBytes(int count, unsigned seed) {
    std::mt19937 random(seed);
    Pixels bytes(4 * count);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// Renders a fresh w x h filter of the given type, its parameters set in slot
// order and its image holding `before` in every byte beforehand. Input pin i
// reads sources[i] (an empty one stays unconnected) from a plain node that
// counts as already rendered.
inline Pixels Filtered(uint8_t typeId, int w, int h, const std::vector<Pixels>& sources,
                       const Params& params, uint8_t before = 0) {
    NodeRegistry registry;
    NodeGraph graph(w, h);
    Node* filter = graph.AddNode(registry.CreateNode(typeId));
    for (size_t i = 0; i < params.size(); ++i)
        filter->param(i).SetValue(static_cast<int16_t>(params[i]));
    graph.Render();  // installs this graph's null image
    std::memset(filter->image->bytes(), before, filter->image->byteCount());
    for (size_t pin = 0; pin < sources.size(); ++pin) {
        if (sources[pin].empty()) continue;
        Node* source = graph.AddNode(std::make_unique<StoreNode>(w, h));
        std::ranges::copy(sources[pin], source->image->bytes());
        source->visited = 1;
        graph.Connect(source->outputPin.get(), filter->inputPins[pin].get());
    }
    filter->visited = 0;
    filter->Update();
    return Bytes(*filter->image);
}

// Exhaustive checks of the table paths walk every colour; under the sanitizers
// a prime stride keeps them to a few seconds and still varies every byte.
constexpr uint32_t kColourStride = SWATCHER_SANITIZED ? 97 : 1;

// The three bytes of 0xRRGGBB, red first.
inline std::array<uint8_t, 3> Channels(uint32_t rgb) {
    return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)};
}
