// Row-band iteration for node types whose work splits by image row.
#pragma once

#include <utility>

// Whether the bands of one image may run in any order (later: at once) or
// must run top to bottom. In order: a neighbourhood filter whose source may be
// its own image through a self-loop reads rows it has already rewritten, and
// generators that draw platform::rand must draw in a fixed order.
enum class RowOrder { kInOrder, kAnyOrder };

// Calls rowBand(y0, y1) for rows [y0, y1) covering 0 .. height - 1. Serial for
// now; a parallel version only has to change this function for kAnyOrder.
// Bands must not share mutable state.
template <class F>
void ForEachRow(int height, RowOrder order, F&& rowBand) {
    (void)order;  // serial: every order is row order
    if (height > 0) std::forward<F>(rowBand)(0, height);
}
