#include "cli/RenderProgress.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "engine/NodeGraph.h"

namespace {

// The number of NodeDone calls a render makes: a node with inputs runs once,
// a generator once for every input that pulls it.
int CountUpdates(const Node& node, std::set<const Node*>& visited) {
    if (node.inputPins.empty()) return 1;
    visited.insert(&node);
    int count = 1;
    for (const auto& pin : node.inputPins) {
        if (pin->cables.empty()) continue;
        const Node* upstream = pin->cables.front()->OtherEnd(pin.get())->owner;
        if (!visited.count(upstream)) count += CountUpdates(*upstream, visited);
    }
    return count;
}

}  // namespace

RenderProgress::RenderProgress(const std::string& label, NodeGraph& graph) : label_(label) {
    std::set<const Node*> visited;
    total_ = graph.nodes.empty() ? 0 : CountUpdates(*graph.nodes.front(), visited);
    SetRenderListener(this);
}

RenderProgress::~RenderProgress() {
    SetRenderListener(nullptr);
    if (shown_) std::fputs("\r\033[K", stderr);
}

void RenderProgress::NodeDone() {
    ++done_;
    if (!shown_ && std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1)) return;
    shown_ = true;
    std::fprintf(stderr, "\r\033[Kswatcher-render: %s: %d of %d nodes", label_.c_str(),
                 std::min(done_, total_), total_);
    std::fflush(stderr);
}
