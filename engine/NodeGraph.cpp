#include "engine/NodeGraph.h"

#include <algorithm>
#include <atomic>

#include "engine/Diagnostics.h"
#include "engine/RenderCancel.h"
#include "engine/RenderRollback.h"
#include "platform/FpState.h"
#include "platform/Memory.h"

namespace {

template <class T>
void EraseFirst(std::vector<T*>& list, const T* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) list.erase(it);
}

int CountFrom(Node* node) {
    node->visited = 1;
    int count = 1;
    for (const auto& pin : node->inputPins) {
        if (pin->cables.empty()) continue;
        Node* upstream = pin->cables.front()->OtherEnd(pin.get())->owner;
        if (!upstream->visited) count += CountFrom(upstream);
    }
    return count;
}

}  // namespace

NodeGraph::NodeGraph(int w, int h) : width(w), height(h) {
    nodes.push_back(std::make_unique<StoreNode>(w, h));
    nullImage_ = Image::Create(w, h);
    if (!nullImage_ || nodes.front()->image->width != w || nodes.front()->image->height != h) {
        // An impossible size at construction: fall back to the smallest texture.
        width = height = 1;
        nullImage_ = Image::Create(1, 1);
        nodes.front()->ResizeImage(1, 1);
    }
    NullImage = nullImage_.get();
    platform::ResetFloatingPoint();
}

NodeGraph::~NodeGraph() {
    DestroyCables();
    nodes.clear();
    if (NullImage == nullImage_.get()) NullImage = nullptr;
}

void NodeGraph::DestroyCables() {
    for (const auto& cable : cables) {
        EraseFirst(cable->first->cables, cable.get());
        EraseFirst(cable->second->cables, cable.get());
    }
    cables.clear();
}

bool NodeGraph::ImagesFitInMemory(size_t images, int w, int h) {
    if (w < 1 || h < 1) return true;  // refused by the allocation itself
    const uint64_t needed =
        static_cast<uint64_t>(images) * static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4;
    if (needed <= platform::ObtainableMemoryBytes()) return true;
    DebugLog("null: no %ix%ix4 buf", w, h);
    return false;
}

Node* NodeGraph::AddNode(std::unique_ptr<Node> node) {
    if (!node || !ImagesFitInMemory(1, width, height)) return nullptr;
    if (!node->ResizeImage(width, height)) return nullptr;
    nodes.push_back(std::move(node));
    return nodes.back().get();
}

void NodeGraph::RemoveNode(Node* node) {
    auto it =
        std::find_if(nodes.begin(), nodes.end(), [node](const auto& n) { return n.get() == node; });
    if (it != nodes.end()) nodes.erase(it);
}

Cable* NodeGraph::Connect(Pin* first, Pin* second) {
    auto cable = std::make_unique<Cable>(first, second);
    first->cables.push_back(cable.get());
    second->cables.push_back(cable.get());
    cables.push_back(std::move(cable));
    return cables.back().get();
}

void NodeGraph::RemoveCable(Cable* cable) {
    auto it = std::find_if(cables.begin(), cables.end(),
                           [cable](const auto& c) { return c.get() == cable; });
    if (it == cables.end()) return;
    std::unique_ptr<Cable> owned = std::move(*it);
    cables.erase(it);
    EraseFirst(owned->first->cables, cable);
    EraseFirst(owned->second->cables, cable);
}

bool NodeGraph::SetTextureSize(int w, int h) {
    // Allocate everything first so a failure leaves the graph as it was.
    if (!ImagesFitInMemory(nodes.size() + 1, w, h)) return false;
    auto fresh = Image::Create(w, h);
    if (!fresh) return false;
    std::vector<std::unique_ptr<Image>> images;
    for (size_t i = 0; i < nodes.size(); ++i) {
        images.push_back(Image::Create(w, h));
        if (!images.back()) return false;
    }
    nullImage_ = std::move(fresh);
    NullImage = nullImage_.get();
    for (size_t i = 0; i < nodes.size(); ++i) nodes[i]->image = std::move(images[i]);
    width = w;
    height = h;
    return true;
}

int NodeGraph::NodeIndex(const Node* node) const {
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].get() == node) return static_cast<int>(i);
    return -1;
}

int NodeGraph::PinIndex(const Node* node, const Pin* pin) {
    if (node->outputPin.get() == pin) return 255;
    for (size_t i = 0; i < node->inputPins.size(); ++i)
        if (node->inputPins[i].get() == pin) return static_cast<int>(i);
    return -1;
}

namespace {

// Numbers the render on this thread for its duration.
struct CurrentRenderScope {
    CurrentRenderScope() {
        static std::atomic<uint64_t> renders{0};
        Node::SetCurrentRender(++renders);
    }
    ~CurrentRenderScope() { Node::SetCurrentRender(0); }
};

}  // namespace

int NodeGraph::CountUpstream() {
    for (const auto& node : nodes) node->visited = 0;
    return nodes.empty() ? 0 : CountFrom(nodes.front().get());
}

bool NodeGraph::Render(RenderCancel* cancel) {
    platform::ResetFloatingPoint();  // the state the worker threads use too
    NullImage = nullImage_.get();
    for (const auto& node : nodes) node->visited = 0;
    if (nodes.empty()) return true;
    const CurrentRenderScope scope;
    if (!cancel) {
        nodes.front()->Update();
        return true;
    }
    RenderRollback rollback(*cancel);
    try {
        nodes.front()->Update();
    } catch (const RenderCancelled&) {
        rollback.Restore();
        return false;
    }
    return true;
}
