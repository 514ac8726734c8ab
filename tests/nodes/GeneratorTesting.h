// Helpers and includes shared by the generator node tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/Node.h"
#include "platform/CRand.h"
#include "platform/Numeric.h"
#include "support/TestSupport.h"

// A node of type T of the given size, its first parameters set to `values` in slot order,
// updated once.
template <class T>
std::unique_ptr<T> Generated(int width, int height, std::initializer_list<int> values) {
    auto node = std::make_unique<T>(width, height);
    int slot = 0;
    for (int v : values) node->param(slot++).SetValue(static_cast<int16_t>(v));
    node->Update();
    return node;
}

inline void ExpectUniform(const Image& image, std::array<int, 4> pixel) {
    for (int i = 0; i < image.pixelCount; ++i)
        for (int b = 0; b < 4; ++b) ASSERT_EQ(image.bytes()[4 * i + b], pixel[b]) << i;
}

// The draw that follows the first `n` draws after seeding.
inline int DrawAfter(int seed, size_t n) {
    platform::srand(seed);
    for (size_t i = 0; i < n; ++i) platform::rand();
    return platform::rand();
}

// The texture repeats seamlessly: stepping across the right or bottom edge into the
// next copy changes byte 0 no more than stepping between interior pixels.
inline void ExpectTiles(const Image& image) {
    const int W = image.width, H = image.height;
    for (auto [dx, dy] : {std::pair{1, 0}, {0, 1}}) {
        int inner = 0, edge = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                int& worst = x + dx == W || y + dy == H ? edge : inner;
                const int step = image.pixel(x, y)[0] - image.pixel((x + dx) % W, (y + dy) % H)[0];
                worst = std::max(worst, std::abs(step));
            }
        EXPECT_LE(edge, inner) << "along " << (dx ? "x" : "y");
        EXPECT_GT(inner, 0);  // not trivially flat
    }
}
