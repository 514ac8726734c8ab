#include "engine/NodeGraph.h"

#include <algorithm>

#include "engine/Diagnostics.h"
#include "engine/RenderCancel.h"
#include "engine/RenderContext.h"
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
    const uint64_t physical = platform::PhysicalMemoryBytes();
    if (physical == 0 || w < 1 || h < 1) return true;  // unknown: let allocation decide
    const uint64_t needed =
        static_cast<uint64_t>(images) * static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4;
    if (needed <= physical / 4 * 3) return true;
    DebugLog("null: no %ix%ix4 buf", w, h);
    return false;
}

Node* NodeGraph::AddNode(std::unique_ptr<Node> node) {
    // Every node plus the null image.
    if (!node || !ImagesFitInMemory(nodes.size() + 2, width, height)) return nullptr;
    if (!node->ResizeImage(width, height)) return nullptr;
    nodes.push_back(std::move(node));
    return nodes.back().get();
}

void NodeGraph::RemoveNode(Node* node) {
    TakeNode(node);
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

int NodeGraph::CountUpstream(Node* root) {
    for (const auto& node : nodes) node->visited = 0;
    if (!root) root = nodes.empty() ? nullptr : nodes.front().get();
    return root ? CountFrom(root) : 0;
}

bool NodeGraph::Render(RenderCancel* cancel) {
    RenderContext context(cancel);
    return Render(context);
}

bool NodeGraph::Render(RenderContext& context) {
    if (nodes.empty()) return true;
    return RenderFrom(*nodes.front(), context);
}

bool NodeGraph::RenderFrom(Node& root, RenderContext& context) {
    platform::ResetFloatingPoint();  // the state the worker threads use too
    NullImage = nullImage_.get();
    for (const auto& node : nodes) node->visited = 0;
    const RenderContext::Scope scope(context);
    if (!context.cancel()) {
        root.Update();
        return true;
    }
    try {
        root.Update();
    } catch (const RenderCancelled&) {
        context.Restore();
        return false;
    }
    return true;
}

std::unique_ptr<Node> NodeGraph::TakeNode(Node* node) {
    const int index = NodeIndex(node);
    if (index < 0) return nullptr;
    std::unique_ptr<Node> taken = std::move(nodes[index]);
    nodes.erase(nodes.begin() + index);
    return taken;
}

void NodeGraph::PutNode(std::unique_ptr<Node> node, int index) {
    index = std::clamp(index, 0, static_cast<int>(nodes.size()));
    nodes.insert(nodes.begin() + index, std::move(node));
}

namespace {
int SlotOf(const Pin* pin, const Cable* cable) {
    auto it = std::find(pin->cables.begin(), pin->cables.end(), cable);
    return static_cast<int>(it - pin->cables.begin());
}

void InsertAt(std::vector<Cable*>& list, int slot, Cable* cable) {
    list.insert(list.begin() + std::clamp(slot, 0, static_cast<int>(list.size())), cable);
}
}  // namespace

NodeGraph::CablePlace NodeGraph::PlaceOf(const Cable* cable) const {
    int index = 0;
    while (index < static_cast<int>(cables.size()) && cables[index].get() != cable) ++index;
    return {cable->first, cable->second, index, SlotOf(cable->first, cable),
            SlotOf(cable->second, cable)};
}

Cable* NodeGraph::PutCable(const CablePlace& place) {
    auto cable = std::make_unique<Cable>(place.first, place.second);
    InsertAt(place.first->cables, place.firstSlot, cable.get());
    InsertAt(place.second->cables, place.secondSlot, cable.get());
    const int index = std::clamp(place.index, 0, static_cast<int>(cables.size()));
    cables.insert(cables.begin() + index, std::move(cable));
    return cables[index].get();
}
