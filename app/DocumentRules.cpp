#include "app/DocumentRules.h"

#include "engine/NodeGraph.h"

bool HasCables(const Node& node) {
    if (node.outputPin && !node.outputPin->cables.empty()) return true;
    for (const auto& pin : node.inputPins)
        if (!pin->cables.empty()) return true;
    return false;
}

const char* CanDeleteNode(const NodeGraph& graph, const Node& node) {
    if (&node == graph.store()) return "Why would you want to delete the Store node?!";
    if (HasCables(node))
        return "Cannot delete node, since it still has cables attached to it.\n"
               "Please remove the cables first...";
    return nullptr;
}

const char* CanCloneNode(const NodeGraph& graph, const Node& node) {
    if (&node == graph.store()) return "Duplicating the store node makes no sense at all!";
    return nullptr;
}
