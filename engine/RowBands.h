// Row-band iteration for node types whose work splits by image row.
#pragma once

#include <type_traits>
#include <utility>

class RenderCancel;

// Whether the bands of one image may run at once, in any order, or must run
// top to bottom. In order: a neighbourhood filter whose source is its own
// image through a self-loop reads rows it has already rewritten, so those stay
// serial. Generators that draw platform::rand in a fixed order start each
// band with its own jumped-ahead stream instead.
enum class RowOrder { kInOrder, kAnyOrder };

// Threads that kAnyOrder bands may use: SWATCHER_THREADS when set to a
// positive number, else every core. 1 runs every band on the calling thread.
int RowThreads();
// n >= 1 sets the count; 0 returns to the default.
void SetRowThreads(int n);

namespace rowbands {
// The cancel that the render running on this thread checks, or null outside a
// cancellable render (its RenderContext's).
RenderCancel* ActiveCancel();
// Throws RenderCancelled when `cancel` is set and requested.
void Checkpoint(RenderCancel* cancel);

using BandFunction = void (*)(void*, int, int);
// Runs band(context, y0, y1) over [0, height) on the worker threads, each band
// under the render's floating-point state, checking `cancel` before each band.
void RunParallel(int height, BandFunction band, void* context, RenderCancel* cancel);
// The same on the calling thread, top to bottom, in consecutive bands.
void RunInOrder(int height, BandFunction band, void* context, RenderCancel* cancel);
}  // namespace rowbands

// Calls rowBand(y0, y1) for rows [y0, y1) covering 0 .. height - 1: in order, or
// for kAnyOrder possibly several calls at once on other threads. Bands must not
// share mutable state. In a cancellable render every band is a checkpoint.
//
// Splitting in-order work into consecutive bands gives the same bytes: every
// in-order user (the self-fed neighbourhood filters) is a plain loop over its
// rows with nothing set up per call, so bands [a, b) then [b, c) run exactly
// the statements of [a, c).
template <class F>
void ForEachRow(int height, RowOrder order, F&& rowBand) {
    if (height <= 0) return;
    RenderCancel* cancel = rowbands::ActiveCancel();
    const bool serial = order == RowOrder::kInOrder || height == 1 || RowThreads() == 1;
    if (serial && !cancel) {
        std::forward<F>(rowBand)(0, height);
        return;
    }
    using Band = std::remove_reference_t<F>;
    const rowbands::BandFunction band = [](void* f, int y0, int y1) {
        (*static_cast<Band*>(f))(y0, y1);
    };
    void* context = const_cast<void*>(static_cast<const void*>(&rowBand));
    if (serial)
        rowbands::RunInOrder(height, band, context, cancel);
    else
        rowbands::RunParallel(height, band, context, cancel);
}
