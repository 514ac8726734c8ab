// One filter node fed fixed pixels, through the public graph API alone.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <random>
#include <string>
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

inline Pixel At(const Pixels& bytes, int w, int x, int y) {
    const uint8_t* p = &bytes[4 * (y * w + x)];
    return {p[0], p[1], p[2], p[3]};
}

// A w x h graph holding one filter of the given type, its parameters set in
// order and its image holding `before`. Sources are plain nodes whose images
// hold fixed bytes and count as already rendered, so the filter reads them.
struct FilterRig {
    FilterRig(uint8_t typeId, int w, int h, const Params& params, const Pixels& before)
        : graph(w, h) {
        filter = graph.AddNode(registry.CreateNode(typeId));
        for (size_t i = 0; i < params.size(); ++i)
            filter->param(i).SetValue(static_cast<int16_t>(params[i]));
        graph.Render();  // installs this graph's null image
        std::ranges::copy(before, filter->image->bytes());
    }
    void Feed(size_t pin, const Pixels& bytes) {
        Node* source = graph.AddNode(std::make_unique<StoreNode>(graph.width, graph.height));
        std::ranges::copy(bytes, source->image->bytes());
        source->visited = 1;
        graph.Connect(source->outputPin.get(), filter->inputPins[pin].get());
    }
    Pixels Render() {
        filter->visited = 0;
        filter->Update();
        return Bytes(*filter->image);
    }
    NodeRegistry registry;
    NodeGraph graph;
    Node* filter;
};

// Renders a fresh w x h filter fed `sources` on pins 0, 1, ... (an empty one
// stays unconnected), its image holding `before` in every byte beforehand.
inline Pixels Filtered(uint8_t typeId, int w, int h, const std::vector<Pixels>& sources,
                       const Params& params, uint8_t before = 0) {
    FilterRig rig(typeId, w, h, params, Pixels(4 * w * h, before));
    for (size_t pin = 0; pin < sources.size(); ++pin)
        if (!sources[pin].empty()) rig.Feed(pin, sources[pin]);
    return rig.Render();
}

using Inputs = std::vector<const uint8_t*>;
// A filter's arithmetic written the plain way, without its tables or running
// sums: fills the w x h image d, which holds the node's previous bytes and may
// be the same buffer as the inputs.
using Reference = std::function<void(const Inputs& in, uint8_t* d, int w, int h, const Params& p)>;

// Compares the filter with `reference` on random inputs of every size with
// every setting, and on a 6 x 5 image that is its own source on every input
// pin (read while written), expecting one timing line under `label`.
inline void ExpectMatches(uint8_t typeId, int inputs, const Reference& reference,
                          const std::vector<std::pair<int, int>>& sizes,
                          const std::vector<Params>& settings, const std::string& label) {
    unsigned seed = 0;
    for (auto [w, h] : sizes) {
        std::vector<Pixels> sources;
        Inputs in;
        for (int i = 0; i < inputs; ++i) sources.push_back(RandomBytes(w * h, ++seed));
        for (const auto& source : sources) in.push_back(source.data());
        for (const auto& p : settings) {
            Pixels expected(4 * w * h);
            reference(in, expected.data(), w, h, p);
            EXPECT_EQ(Filtered(typeId, w, h, sources, p), expected)
                << w << "x" << h << ", setting " << &p - settings.data();
        }
    }
    for (const auto& p : settings) {
        FilterRig rig(typeId, 6, 5, p, RandomBytes(30, ++seed));
        for (int pin = 0; pin < inputs; ++pin)
            rig.graph.Connect(rig.filter->outputPin.get(), rig.filter->inputPins[pin].get());
        Pixels expected = Bytes(*rig.filter->image);
        reference(Inputs(inputs, expected.data()), expected.data(), 6, 5, p);
        LogCapture log;
        EXPECT_EQ(rig.Render(), expected) << "in place, setting " << &p - settings.data();
        EXPECT_EQ(log.Matching(label + "::Update took ").size(), 1u);
    }
}
