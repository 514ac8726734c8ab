// Row-band iteration for node types whose work splits by image row.
#pragma once

#include <type_traits>
#include <utility>

// Whether the bands of one image may run at once, in any order, or must run
// top to bottom. In order: a neighbourhood filter whose source is its own
// image through a self-loop reads rows it has already rewritten, so those stay
// serial; generators that draw platform::rand in a fixed order either stay in
// order or start each band with its own jumped-ahead stream.
enum class RowOrder { kInOrder, kAnyOrder };

// Threads that kAnyOrder bands may use: SWATCHER_THREADS when set to a
// positive number, else every core. 1 runs every band on the calling thread.
int RowThreads();
// n >= 1 sets the count; 0 returns to the default.
void SetRowThreads(int n);

namespace rowbands {
// Runs band(context, y0, y1) over [0, height) on the worker threads, each band
// under the render's floating-point state.
void RunParallel(int height, void (*band)(void*, int, int), void* context);
}  // namespace rowbands

// Calls rowBand(y0, y1) for rows [y0, y1) covering 0 .. height - 1: one call in
// order, or for kAnyOrder possibly several calls at once on other threads.
// Bands must not share mutable state.
template <class F>
void ForEachRow(int height, RowOrder order, F&& rowBand) {
    if (height <= 0) return;
    if (order == RowOrder::kInOrder || height == 1 || RowThreads() == 1) {
        std::forward<F>(rowBand)(0, height);
        return;
    }
    using Band = std::remove_reference_t<F>;
    rowbands::RunParallel(
        height, [](void* f, int y0, int y1) { (*static_cast<Band*>(f))(y0, y1); },
        const_cast<void*>(static_cast<const void*>(&rowBand)));
}
