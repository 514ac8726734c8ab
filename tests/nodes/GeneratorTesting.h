// Helpers shared by the generator node tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <utility>

#include "engine/Node.h"
#include "platform/CRand.h"

// A node of type T of the given size with parameters set as (slot, value) pairs.
template <class T>
std::unique_ptr<T> MakeGenerator(int width, int height,
                                 std::initializer_list<std::pair<int, int>> values = {}) {
    auto node = std::make_unique<T>(width, height);
    for (auto [slot, v] : values) node->param(slot).SetValue(static_cast<int16_t>(v));
    return node;
}

// The draw that follows the first `n` draws after seeding.
inline int DrawAfter(int seed, size_t n) {
    platform::srand(seed);
    for (size_t i = 0; i < n; ++i) platform::rand();
    return platform::rand();
}

// Largest difference of byte `b` between horizontally (dx = 1) or vertically
// (dy = 1) neighbouring pixels, inside the image or across the wrapping edge.
inline int MaxStep(const Image& image, int b, int dx, int dy, bool acrossEdge) {
    int worst = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const int x2 = x + dx, y2 = y + dy;
            const bool wraps = x2 == image.width || y2 == image.height;
            if (wraps != acrossEdge) continue;
            const int v = image.pixel(x, y)[b];
            const int w = image.pixel(x2 % image.width, y2 % image.height)[b];
            worst = std::max(worst, std::abs(v - w));
        }
    return worst;
}

// The texture repeats seamlessly: stepping across the right or bottom edge into
// the next copy changes byte `b` no more than stepping between interior pixels.
inline void ExpectTiles(const Image& image, int b = 0) {
    EXPECT_LE(MaxStep(image, b, 1, 0, true), MaxStep(image, b, 1, 0, false));
    EXPECT_LE(MaxStep(image, b, 0, 1, true), MaxStep(image, b, 0, 1, false));
    EXPECT_GT(MaxStep(image, b, 1, 0, false), 0);  // not trivially flat
}
