// What a cancellable render has changed, so that a cancel leaves no trace:
// the rand state it started from and each node image it overwrote.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class Image;
class Node;
class RenderCancel;

// Lives for one cancellable render on the thread that runs it, and makes
// `cancel` that thread's active cancel meanwhile.
class RenderRollback {
public:
    explicit RenderRollback(RenderCancel& cancel);
    ~RenderRollback();
    RenderRollback(const RenderRollback&) = delete;
    RenderRollback& operator=(const RenderRollback&) = delete;

    // The rollback of the render on this thread, or null.
    static RenderRollback* Active();

    // Copies the node's image before its first write in this render. Peak
    // memory: one extra image for each node the render has computed so far.
    // When no copy can be had, the render can no longer be undone and stops
    // honouring the cancel.
    void Keep(Node& node);

    // Puts back every kept image (the copy becomes the node's image, so this
    // takes no time) and the rand state.
    void Restore();

private:
    uint32_t randState_;
    std::vector<std::pair<Node*, std::unique_ptr<Image>>> kept_;
};
