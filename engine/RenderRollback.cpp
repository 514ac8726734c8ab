#include "engine/RenderRollback.h"

#include <algorithm>
#include <cstring>

#include "engine/Node.h"
#include "platform/CRand.h"

namespace {

thread_local RenderRollback* t_active = nullptr;

// The first touch of a fresh block of a large image costs tens of
// milliseconds, so the copy goes in pieces, each a checkpoint. A cancel
// between pieces is safe: the node has not written anything yet.
void CopyInPieces(const Image& from, Image& to) {
    constexpr size_t kPiece = size_t{1} << 20;
    const size_t size = from.byteCount();
    for (size_t done = 0; done < size; done += kPiece) {
        rowbands::Checkpoint(rowbands::ActiveCancel());
        std::memcpy(to.bytes() + done, from.bytes() + done, std::min(kPiece, size - done));
    }
}

}  // namespace

RenderRollback::RenderRollback(RenderCancel& cancel) : randState_(platform::RandState()) {
    t_active = this;
    rowbands::SetActiveCancel(&cancel);
}

RenderRollback::~RenderRollback() {
    rowbands::SetActiveCancel(nullptr);
    t_active = nullptr;
}

RenderRollback* RenderRollback::Active() {
    return t_active;
}

void RenderRollback::Keep(Node& node) {
    if (!rowbands::ActiveCancel()) return;  // past undoing already
    auto same = [&node](const auto& entry) { return entry.first == &node; };
    if (std::any_of(kept_.begin(), kept_.end(), same)) return;
    const Image& image = *node.image;
    auto copy = Image::Create(image.width, image.height);
    if (!copy) {
        rowbands::SetActiveCancel(nullptr);
        return;
    }
    CopyInPieces(image, *copy);
    kept_.emplace_back(&node, std::move(copy));
}

void RenderRollback::Restore() {
    for (auto& [node, copy] : kept_) node->image = std::move(copy);
    kept_.clear();
    platform::SetRandState(randState_);
}
