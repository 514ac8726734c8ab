// Exact inverses for the editing commands: a node or a cable leaves the
// document with everything needed to put it back where it was, so undoing a
// step restores every list's order.
#pragma once

#include <memory>

class Cable;
class Node;
class NodeGraph;

// A node out of the document and the place it came from.
struct HeldNode {
    std::unique_ptr<Node> node;
    int index = -1;
};

// A cable out of the document and its places in the graph's list and in
// both of its pins' lists.
struct HeldCable {
    std::unique_ptr<Cable> cable;
    int index = -1;
    int firstIndex = -1;
    int secondIndex = -1;
};

// The node must have no cables (DocumentRules); it keeps its image.
HeldNode TakeNode(NodeGraph& graph, int index);
void PutNode(NodeGraph& graph, HeldNode& held);

HeldCable TakeCable(NodeGraph& graph, const Cable* cable);
void PutCable(NodeGraph& graph, HeldCable& held);

// True when rendering the Store node reaches `node` through cables.
bool ReachesStore(const NodeGraph& graph, const Node* node);
