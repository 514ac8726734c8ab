// What the editing commands may do to the document. Each query answers the
// text of the refusal, or nullptr when the command may go ahead.
#pragma once

class Node;
class NodeGraph;

// True when any pin of the node holds a cable.
bool HasCables(const Node& node);

// The Store node cannot be deleted, nor a node that still has cables.
const char* CanDeleteNode(const NodeGraph& graph, const Node& node);
// The Store node cannot be duplicated.
const char* CanCloneNode(const NodeGraph& graph, const Node& node);
