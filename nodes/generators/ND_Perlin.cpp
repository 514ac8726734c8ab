#include "nodes/generators/ND_Perlin.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

#include "engine/RowBands.h"
#include "nodes/generators/ChannelMask.h"
#include "platform/CRand.h"
#include "platform/Numeric.h"

using perlin::Gradient;

namespace {

constexpr float kF255 = 1.0f / 255.0f;

// The gradients of one octave: n x n entries whose last row and column repeat the
// first ones, so each octave has period n - 1 cells.
class Lattice {
public:
    // Fills the entries in memory order; only entries that are not copies draw.
    explicit Lattice(int n) : n_(n), entries_(static_cast<size_t>(n) * n) {
        ForEachRow(n, RowOrder::kInOrder, [&](int r0, int r1) {
            for (int r = r0; r < r1; ++r)
                for (int c = 0; c < n; ++c) entries_[Index(r, c)] = Fill(r, c);
        });
    }

    // Lattice row r and the index of column c within it, for any r, c >= 0: indices
    // past the last row or column wrap, which reads the same as the stored copies
    // where those exist and keeps other image sizes inside the lattice.
    const Gradient* Row(int r) const { return &entries_[Index(r % (n_ - 1), 0)]; }
    int Column(int c) const { return c % (n_ - 1); }

private:
    size_t Index(int r, int c) const { return static_cast<size_t>(r) * n_ + c; }

    Gradient Fill(int r, int c) const {
        const int last = n_ - 1;
        if (c == last) return entries_[Index(r == last ? 0 : r, 0)];
        if (r == last) return entries_[Index(0, c)];
        const float a = static_cast<float>(platform::rand() % 10000 - 5000);
        const float b = static_cast<float>(platform::rand() % 10000 - 5000);
        return perlin::GradientOf(a, b);
    }

    int n_;
    std::vector<Gradient> entries_;
};

// Where a pixel row or column lies in its cell: lattice index, fraction f (extended),
// the smoothstep 3f^2 - 2f^3, and f - 1.
struct CellPosition {
    int cell;
    long double f, s, fMinus1;
};

CellPosition PositionOf(int p, int cell) {
    CellPosition pos;
    pos.cell = p / cell;
    pos.f = static_cast<long double>(p) / cell - pos.cell;
    const long double f2 = pos.f * pos.f;
    pos.s = 3 * f2 - 2 * (f2 * pos.f);
    pos.fMinus1 = pos.f - 1;
    return pos;
}

// A pixel column's place in its cell, held as Real; the x side stores f - 1
// as a float.
template <class Real>
struct Column {
    Real f, s;
    float fMinus1;
    int c0, c1;  // lattice columns of the cell's sides
};

// Adds one octave to the accumulator rows. Whatever Real holds the column
// terms, each product widens them to the same extended values.
template <class Real>
void AddRows(const Lattice& lattice, const std::vector<Column<Real>>& columns, int cell, float amp,
             int W, int H, float* acc) {
    // Each accumulator row depends on its own position and the lattice only.
    ForEachRow(H, RowOrder::kAnyOrder, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const CellPosition py = PositionOf(y, cell);
            const Gradient* top = lattice.Row(py.cell);
            const Gradient* bottom = lattice.Row(py.cell + 1);
            float* out = acc + static_cast<size_t>(y) * W;
            for (int x = 0; x < W; ++x) {
                const Column<Real>& px = columns[x];
                const Gradient g00 = top[px.c0], g01 = bottom[px.c0];
                const Gradient g10 = top[px.c1], g11 = bottom[px.c1];
                const long double f = px.f, s = px.s;
                const float d00 = platform::single(py.f * g00.y + f * g00.x);
                const float d01 = platform::single(py.fMinus1 * g01.y + f * g01.x);
                const long double d10 = px.fMinus1 * static_cast<long double>(g10.x) + py.f * g10.y;
                const long double d11 =
                    px.fMinus1 * static_cast<long double>(g11.x) + py.fMinus1 * g11.y;
                const long double a = d00 + (d10 - d00) * s;
                const long double b = d01 + (d11 - d01) * s;
                const long double v = a + (b - a) * py.s;
                out[x] = platform::single(out[x] + ((v + 1) * 0.5L) * amp);
            }
        }
    });
}

// Adds one octave of the given cell size and weight to the accumulator.
void AddOctave(const Lattice& lattice, int cell, float amp, int W, int H, float* acc) {
    std::vector<Column<long double>> columns(W);
    bool doubles = true;
    for (int x = 0; x < W; ++x) {
        const CellPosition pos = PositionOf(x, cell);
        columns[x] = {pos.f, pos.s, platform::single(pos.fMinus1), lattice.Column(pos.cell),
                      lattice.Column(pos.cell + 1)};
        doubles = doubles && platform::dbl(pos.f) == pos.f && platform::dbl(pos.s) == pos.s;
    }
    if (!doubles) return AddRows(lattice, columns, cell, amp, W, H, acc);
    // With a power-of-two cell, f and the smoothstep have few bits and are
    // doubles exactly, which load faster than extended values.
    std::vector<Column<double>> narrow(W);
    for (int x = 0; x < W; ++x) {
        const Column<long double>& c = columns[x];
        narrow[x] = {platform::dbl(c.f), platform::dbl(c.s), c.fMinus1, c.c0, c.c1};
    }
    AddRows(lattice, narrow, cell, amp, W, H, acc);
}

}  // namespace

namespace perlin {

Gradient GradientOf(float a, float b) {
    // Both draws 0 would make 0/0; such a gradient is simply flat.
    if (a == 0 && b == 0) return {0, 0};
    const double len = std::sqrt(
        static_cast<double>(static_cast<long double>(b) * b + static_cast<long double>(a) * a));
    return {platform::single(a / static_cast<long double>(len)),
            platform::single(b / static_cast<long double>(len))};
}

}  // namespace perlin

namespace {

enum Slot { kGrid, kPersistence, kOctaves, kColor, kRandom, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Grid", 0, 16, 4),    param::Int("Persistence", 0, 255, 127),
    param::Int("Octaves", 1, 16, 4), param::Choice("Color", kChannelOptions),
    param::Int("Random", 0, 255, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

ND_Perlin::ND_Perlin(int width, int height)
    : Node("Perlin noise", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void ND_Perlin::Compute() {
    const int W = image->width;
    const int H = image->height;
    // Zeroed in bands: the first touch of a large block is a render's longest
    // step without a checkpoint otherwise, and it goes faster on every core.
    const auto acc = std::make_unique_for_overwrite<float[]>(static_cast<size_t>(W) * H);
    ForEachRow(H, RowOrder::kAnyOrder, [&](int y0, int y1) {
        std::fill(acc.get() + static_cast<size_t>(y0) * W, acc.get() + static_cast<size_t>(y1) * W,
                  0.0f);
    });
    const ChannelMask mask = ChannelMask::FromChoice(value(kColor));
    platform::srand(value(kRandom));
    const int octaves = value(kOctaves);
    const float p = platform::single(value(kPersistence) * static_cast<long double>(kF255));
    int cell = platform::TruncToInt(std::pow(2.0, value(kGrid)));
    cell = std::min({cell, W, H});

    float amp = p;
    for (int k = 0; k < octaves && cell >= 1; ++k) {
        const Lattice lattice(W / cell + 1);
        AddOctave(lattice, cell, amp, W, H, acc.get());
        amp = platform::single(static_cast<long double>(amp) * p);
        cell /= 2;
    }

    ForEachRow(H, RowOrder::kAnyOrder, [&](int y0, int y1) {
        for (size_t i = static_cast<size_t>(y0) * W; i < static_cast<size_t>(y1) * W; ++i) {
            const long double s = acc[i] * 255.0L;
            mask.Put(image->bytes() + 4 * i, static_cast<uint8_t>(platform::TruncToInt(s)));
        }
    });
}
