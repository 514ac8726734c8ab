#include "nodes/generators/SubPlasma.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "nodes/generators/ChannelMask.h"
#include "platform/CRand.h"
#include "platform/Numeric.h"

namespace {

// The powers of the interpolation parameter t (extended) and tf = single(t) that
// the cubic uses; they depend on the position only, so they are formed once per t.
struct CubicWeights {
    long double t3, t2, t1;  // (t*t)*tf, tf*tf, tf

    explicit CubicWeights(long double t) {
        const long double tf = platform::single(t);
        t3 = (t * t) * tf;
        t2 = tf * tf;
        t1 = tf;
    }
};

// Rounds a level already clamped to 0..255, ties to even. Adding 1.5 * 2^63 leaves
// no fraction bits in the 64-bit significand, so the addition itself rounds to
// nearest-even exactly as the direct conversion does, without its slow library call.
uint8_t RoundLevel(long double r) {
    constexpr long double kShift = 0x1.8p63L;
    return static_cast<uint8_t>(static_cast<int>((r + kShift) - kShift));
}

// Cubic between b (t = 0) and c (t = 1); a lies one spacing before b, d one after c.
// Clamped to 0..255 and rounded half to even.
uint8_t Cubic(float a, float b, float c, float d, const CubicWeights& w) {
    const float a3 = ((d - c) - a) + b;
    const float a2 = (a - b) - a3;
    const float a1 = c - a;
    long double r = w.t3 * a3 + w.t2 * a2;
    r = r + w.t1 * a1;
    r = r + b;
    r = 0 < r ? r : 0;
    r = r < 255 ? r : 255;
    return RoundLevel(r);
}

// The positions one spacing before p0 (a multiple of step), p0 itself, and one and
// two spacings after it, each wrapped into 0 .. size - 1.
struct Neighbours {
    int before, here, next, after;
};

Neighbours NeighboursOf(int p0, int step, int size) {
    const int before = static_cast<int>((static_cast<int64_t>(p0) - step) % size);
    return {before < 0 ? before + size : before, p0,
            static_cast<int>((static_cast<int64_t>(p0) + step) % size),
            static_cast<int>((static_cast<int64_t>(p0) + 2 * static_cast<int64_t>(step)) % size)};
}

// Draws the seeds of one seed row and interpolates between them along the row.
// Lookups that land on columns without a seed (sides not a multiple of the
// spacing) read 0.
void SeedRow(int step, const std::vector<CubicWeights>& weights, std::vector<uint8_t>& seeds,
             uint8_t* out) {
    const int W = static_cast<int>(seeds.size());
    std::fill(seeds.begin(), seeds.end(), 0);
    for (int x = 0; x < W; x += step) seeds[x] = static_cast<uint8_t>(platform::rand() % 255);
    const int span = static_cast<int>(weights.size());
    for (int x0 = 0; x0 < W; x0 += step) {
        const Neighbours n = NeighboursOf(x0, step, W);
        out[x0] = seeds[x0];
        for (int o = 1; o < span && x0 + o < W; ++o)
            out[x0 + o] =
                Cubic(seeds[n.before], seeds[n.here], seeds[n.next], seeds[n.after], weights[o]);
    }
}

enum Slot { kGrid, kType, kRandom, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Grid", 0, 16, 4),
    param::Choice("Type", kChannelOptions),
    param::Int("Random", 1, 127, 1),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

SubPlasma::SubPlasma(int width, int height) : Node("Subplasma", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void SubPlasma::Compute() {
    const int W = image->width;
    const int H = image->height;
    const int step = platform::TruncToInt(std::pow(2.0, value(kGrid)));
    const ChannelMask mask = ChannelMask::FromChoice(value(kType));
    platform::srand(value(kRandom));

    // Horizontal pass: the seed rows (every step-th row), drawn in row-major order.
    const int seedRows = static_cast<int>((H + static_cast<int64_t>(step) - 1) / step);
    std::vector<uint8_t> levels(static_cast<size_t>(seedRows) * W);
    std::vector<uint8_t> seeds(W);
    std::vector<CubicWeights> weights;  // by offset from the seed to the left
    for (int o = 0; o < std::min(step, W); ++o)
        weights.emplace_back(static_cast<long double>(o) / step);
    ForEachRow(seedRows, RowOrder::kInOrder, [&](int j0, int j1) {
        for (int j = j0; j < j1; ++j)
            SeedRow(step, weights, seeds, &levels[static_cast<size_t>(j) * W]);
    });

    // Vertical pass. Rows between seed rows read 0 wherever a lookup misses a seed row.
    const std::vector<uint8_t> zeros(W);
    auto levelRow = [&](int y) {
        return y % step == 0 ? &levels[static_cast<size_t>(y / step) * W] : zeros.data();
    };
    // Each row depends on the seed rows only.
    ForEachRow(H, RowOrder::kAnyOrder, [&](int yBegin, int yEnd) {
        for (int y = yBegin; y < yEnd; ++y) {
            uint8_t* row = image->pixel(0, y);
            const int y0 = y - y % step;
            if (y == y0) {
                const uint8_t* seedRow = levelRow(y);
                for (int x = 0; x < W; ++x) mask.Put(row + 4 * x, seedRow[x]);
                continue;
            }
            const Neighbours n = NeighboursOf(y0, step, H);
            const uint8_t* a = levelRow(n.before);
            const uint8_t* b = levelRow(n.here);
            const uint8_t* c = levelRow(n.next);
            const uint8_t* d = levelRow(n.after);
            const CubicWeights w(static_cast<long double>(y - y0 - 1) / (step - 1));
            for (int x = 0; x < W; ++x) mask.Put(row + 4 * x, Cubic(a[x], b[x], c[x], d[x], w));
        }
    });
}
