#include "engine/RenderContext.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "engine/NodeGraph.h"
#include "engine/RenderCancel.h"
#include "platform/CRand.h"

namespace {

thread_local RenderContext* t_active = nullptr;

// The first touch of a fresh block of a large image costs tens of
// milliseconds, so the copy goes in pieces, each a checkpoint. A cancel
// between pieces is safe: the node has not written anything yet.
void CopyInPieces(const Image& from, Image& to, RenderCancel* cancel) {
    constexpr size_t kPiece = size_t{1} << 20;
    const size_t size = from.byteCount();
    for (size_t done = 0; done < size; done += kPiece) {
        rowbands::Checkpoint(cancel);
        std::memcpy(to.bytes() + done, from.bytes() + done, std::min(kPiece, size - done));
    }
    to.CopiedFrom(from);
}

}  // namespace

RenderContext::RenderContext(RenderCancel* cancel, bool skipUnchanged)
    : cancel_(cancel), skipUnchanged_(skipUnchanged) {}

RenderContext::~RenderContext() = default;

RenderContext* RenderContext::Active() {
    return t_active;
}

RenderContext::Scope::Scope(RenderContext& context) {
    static std::atomic<uint64_t> renders{0};
    context.number_ = ++renders;
    context.randState_ = platform::RandState();
    context.kept_.clear();
    t_active = &context;
}

RenderContext::Scope::~Scope() {
    t_active = nullptr;
}

void RenderContext::TakeParams(const NodeGraph& graph) {
    params_.clear();
    for (const auto& node : graph.nodes) params_.emplace(node.get(), node->CurrentValues());
}

ParamValues RenderContext::ValuesOf(const Node& node) const {
    auto it = params_.find(&node);
    return it != params_.end() ? it->second : node.CurrentValues();
}

void RenderContext::Keep(Node& node) {
    if (!cancel_) return;  // nothing to undo, or past undoing already
    auto same = [&node](const auto& entry) { return entry.first == &node; };
    if (std::any_of(kept_.begin(), kept_.end(), same)) return;
    const Image& image = *node.image;
    auto copy = Image::Create(image.width, image.height);
    if (!copy) {
        cancel_ = nullptr;
        return;
    }
    CopyInPieces(image, *copy, cancel_);
    kept_.emplace_back(&node, std::move(copy));
}

void RenderContext::Restore() {
    for (auto& [node, copy] : kept_) node->image = std::move(copy);
    kept_.clear();
    platform::SetRandState(randState_);
}

namespace rowbands {
RenderCancel* ActiveCancel() {
    return t_active ? t_active->cancel() : nullptr;
}
}  // namespace rowbands
