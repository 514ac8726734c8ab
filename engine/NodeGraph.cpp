#include "engine/NodeGraph.h"

#include <algorithm>
#include <new>

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

template <class T>
int IndexOf(const std::vector<T>& list, const void* item) {
    for (size_t i = 0; i < list.size(); ++i)
        if (&*list[i] == item) return static_cast<int>(i);
    return -1;
}

// At `index`, or at the end for -1 (clamped to the list either way).
template <class List, class Item>
void InsertAt(List& list, int index, Item&& item) {
    const long size = static_cast<long>(list.size());
    list.insert(list.begin() + (index < 0 ? size : std::min<long>(index, size)),
                std::forward<Item>(item));
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
    HeldNode held{std::move(node)};
    return PutNode(held);
}

void NodeGraph::RemoveNode(Node* node) {
    const int index = NodeIndex(node);
    if (index >= 0) TakeNode(index);
}

Cable* NodeGraph::Connect(Pin* first, Pin* second) {
    HeldCable held{std::make_unique<Cable>(first, second)};
    return PutCable(held);
}

void NodeGraph::RemoveCable(Cable* cable) {
    TakeCable(cable);
}

Node* NodeGraph::PutNode(HeldNode& held) {
    // Only the new node's image: the others are already held.
    if (!held.node || !ImagesFitInMemory(1, width, height)) return nullptr;
    const Image* image = held.node->image.get();
    if ((!image || image->width != width || image->height != height) &&
        !held.node->ResizeImage(width, height))
        return nullptr;
    Node* node = held.node.get();
    InsertAt(nodes, held.index, std::move(held.node));
    return node;
}

HeldNode NodeGraph::TakeNode(int index) {
    HeldNode held{std::move(nodes[index]), index};
    nodes.erase(nodes.begin() + index);
    return held;
}

Cable* NodeGraph::PutCable(HeldCable& held) {
    Cable* cable = held.cable.get();
    InsertAt(cable->first->cables, held.firstIndex, cable);
    InsertAt(cable->second->cables, held.secondIndex, cable);
    InsertAt(cables, held.index, std::move(held.cable));
    return cable;
}

HeldCable NodeGraph::TakeCable(const Cable* cable) {
    const int index = IndexOf(cables, cable);
    if (index < 0) return {};
    HeldCable held{std::move(cables[index]), index, IndexOf(cable->first->cables, cable),
                   IndexOf(cable->second->cables, cable)};
    cables.erase(cables.begin() + index);
    auto& firstList = held.cable->first->cables;
    auto& secondList = held.cable->second->cables;
    firstList.erase(firstList.begin() + held.firstIndex);
    secondList.erase(secondList.begin() + held.secondIndex);
    return held;
}

bool NodeGraph::ReachesStore(const Node* node) const {
    std::vector<const Node*> seen{store()};
    for (size_t next = 0; next < seen.size(); ++next) {
        if (seen[next] == node) return true;
        for (const auto& pin : seen[next]->inputPins)
            for (const Cable* cable : pin->cables) {
                const Node* upstream = cable->OtherEnd(pin.get())->owner;
                if (std::find(seen.begin(), seen.end(), upstream) == seen.end())
                    seen.push_back(upstream);
            }
    }
    return false;
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
    } catch (const std::bad_alloc&) {
        context.Restore();  // no half-computed image outlives a render that ran out of memory
        throw;
    }
    return true;
}
