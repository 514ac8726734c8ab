#include "engine/RenderRollback.h"

#include <algorithm>
#include <cstring>

#include "engine/Node.h"
#include "platform/CRand.h"

namespace {
thread_local RenderRollback* t_active = nullptr;
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

void RenderRollback::Keep(const Node& node) {
    if (!rowbands::ActiveCancel()) return;  // past undoing already
    auto same = [&node](const auto& entry) { return entry.first == &node; };
    if (std::any_of(kept_.begin(), kept_.end(), same)) return;
    const Image& image = *node.image;
    auto copy = Image::Create(image.width, image.height);
    if (!copy) {
        rowbands::SetActiveCancel(nullptr);
        return;
    }
    std::memcpy(copy->pixels, image.pixels, image.byteCount());
    kept_.emplace_back(&node, std::move(copy));
}

void RenderRollback::Restore() {
    for (const auto& [node, copy] : kept_)
        std::memcpy(node->image->pixels, copy->pixels, copy->byteCount());
    kept_.clear();
    platform::SetRandState(randState_);
}
