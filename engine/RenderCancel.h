// Stopping a render part-way. A cancellable render asks its RenderCancel at
// every checkpoint: before each node's update and before each band of rows.
#pragma once

#include <atomic>

class RenderCancel {
public:
    virtual ~RenderCancel() = default;
    // True once the render should stop. Bands on other threads may ask at the
    // same time.
    virtual bool Requested() = 0;
};

// Set from any thread; the render stops at its next checkpoint.
class CancelFlag : public RenderCancel {
public:
    void Set() { set_.store(true, std::memory_order_relaxed); }
    bool Requested() override { return set_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> set_{false};
};

// Thrown at the checkpoint that sees the cancel; the render catches it after
// every band has stopped and puts back what it had changed.
struct RenderCancelled {};
