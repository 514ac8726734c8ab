#include "app/DocumentEdits.h"

#include <algorithm>
#include <vector>

#include "engine/NodeGraph.h"

namespace {

template <class T>
int IndexOf(const std::vector<T>& list, const void* item) {
    for (size_t i = 0; i < list.size(); ++i)
        if (&*list[i] == item) return static_cast<int>(i);
    return -1;
}

template <class List, class Item>
void InsertAt(List& list, int index, Item&& item) {
    list.insert(list.begin() + std::clamp<long>(index, 0, static_cast<long>(list.size())),
                std::forward<Item>(item));
}

}  // namespace

HeldNode TakeNode(NodeGraph& graph, int index) {
    HeldNode held{std::move(graph.nodes[index]), index};
    graph.nodes.erase(graph.nodes.begin() + index);
    return held;
}

void PutNode(NodeGraph& graph, HeldNode& held) {
    InsertAt(graph.nodes, held.index, std::move(held.node));
}

HeldCable TakeCable(NodeGraph& graph, const Cable* cable) {
    const int index = IndexOf(graph.cables, cable);
    if (index < 0) return {};
    HeldCable held{std::move(graph.cables[index]), index, IndexOf(cable->first->cables, cable),
                   IndexOf(cable->second->cables, cable)};
    graph.cables.erase(graph.cables.begin() + index);
    auto& firstList = held.cable->first->cables;
    auto& secondList = held.cable->second->cables;
    firstList.erase(firstList.begin() + held.firstIndex);
    secondList.erase(secondList.begin() + held.secondIndex);
    return held;
}

void PutCable(NodeGraph& graph, HeldCable& held) {
    Cable* cable = held.cable.get();
    InsertAt(cable->first->cables, held.firstIndex, cable);
    InsertAt(cable->second->cables, held.secondIndex, cable);
    InsertAt(graph.cables, held.index, std::move(held.cable));
}

bool ReachesStore(const NodeGraph& graph, const Node* node) {
    std::vector<const Node*> seen{graph.store()};
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
