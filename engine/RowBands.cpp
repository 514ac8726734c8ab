#include "engine/RowBands.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/RenderCancel.h"
#include "platform/FpState.h"

namespace {

std::atomic<int> g_threads{0};  // 0: not chosen yet
constexpr int kMaxThreads = 1024;
// Bands stay short so that a cancel is seen within a few milliseconds.
constexpr int kMaxBandRows = 32;

int DefaultThreads() {
    if (const char* env = std::getenv("SWATCHER_THREADS")) {
        char* end = nullptr;
        const long n = std::strtol(env, &end, 10);
        if (end != env && *end == '\0' && n >= 1 && n <= kMaxThreads) return static_cast<int>(n);
        std::fprintf(stderr,
                     "swatcher: ignoring SWATCHER_THREADS=%s (want 1 to %d); using every core\n",
                     env, kMaxThreads);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

// One arena per thread count, kept until the count changes; shared so that a
// render still running keeps its arena when another render changes the count.
std::shared_ptr<tbb::task_arena> Arena(int threads) {
    static std::mutex mutex;
    static std::shared_ptr<tbb::task_arena> arena;
    static int arenaThreads = 0;
    std::lock_guard<std::mutex> lock(mutex);
    if (!arena || arenaThreads != threads) {
        arena = std::make_shared<tbb::task_arena>(threads);
        arenaThreads = threads;
    }
    return arena;
}

}  // namespace

int RowThreads() {
    int n = g_threads.load(std::memory_order_relaxed);
    if (n == 0) {
        n = DefaultThreads();
        g_threads.store(n, std::memory_order_relaxed);
    }
    return n;
}

void SetRowThreads(int n) {
    g_threads.store(std::max(n, 0), std::memory_order_relaxed);
}

namespace rowbands {

// Runs, in order, the bands of rows not marked done.
void RunRemaining(const std::vector<char>& done, BandFunction band, void* context,
                  RenderCancel* cancel) {
    const int height = static_cast<int>(done.size());
    for (int y0 = 0; y0 < height;) {
        if (done[y0]) {
            ++y0;
            continue;
        }
        int y1 = y0 + 1;
        while (y1 < height && y1 - y0 < kMaxBandRows && !done[y1]) ++y1;
        Checkpoint(cancel);
        band(context, y0, y1);
        y0 = y1;
    }
}

void Checkpoint(RenderCancel* cancel) {
    if (cancel && cancel->Requested()) throw RenderCancelled();
}

// A cancel thrown in one band makes TBB skip the bands not yet started, wait
// for the running ones and rethrow it here.
void RunParallel(int height, BandFunction band, void* context, RenderCancel* cancel) {
    const int threads = RowThreads();
    // A few bands per thread evens out rows of unequal cost.
    const int grain = std::clamp(height / (4 * threads), 1, kMaxBandRows);
    std::vector<char> done(static_cast<size_t>(height), 0);
    try {
        Arena(threads)->execute([&] {
            tbb::parallel_for(
                tbb::blocked_range<int>(0, height, grain),
                [&](const tbb::blocked_range<int>& rows) {
                    Checkpoint(cancel);
                    const platform::ScopedFpState fpState;
                    band(context, rows.begin(), rows.end());
                    std::fill(done.begin() + rows.begin(), done.begin() + rows.end(), 1);
                },
                tbb::simple_partitioner());
        });
    } catch (const std::exception&) {
        // The library could not start its threads or make its arena (out of
        // memory, no threads left): the calling thread does the bands that
        // did not finish. Bands are independent, so the bytes are the same.
        RunRemaining(done, band, context, cancel);
    }
}

void RunInOrder(int height, BandFunction band, void* context, RenderCancel* cancel) {
    for (int y0 = 0; y0 < height; y0 += kMaxBandRows) {
        Checkpoint(cancel);
        band(context, y0, std::min(height, y0 + kMaxBandRows));
    }
}

}  // namespace rowbands
