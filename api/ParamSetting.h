// --set NODE.PARAM=VALUE: changing one parameter of a loaded graph.
#pragma once

#include <string>

class NodeGraph;

struct ParamSetting {
    std::string key;    // NODE.PARAM, everything before the first '='
    std::string value;  // everything after it
};

// Splits the option text; false (with a message) when it has no '=' or no
// '.' before it.
bool ParseParamSetting(const std::string& text, ParamSetting* setting, std::string* error);

// "0 'Store', 1 'Blur'": the index and name of every item (nodes, params,
// pins), or "none".
template <class List>
std::string IndexedNames(const List& items) {
    if (items.empty()) return "none";
    std::string list;
    for (size_t i = 0; i < items.size(); ++i)
        list += (i ? ", " : "") + std::to_string(i) + " '" + items[i]->name + "'";
    return list;
}

// NODE is a node index or a node's display name, PARAM a parameter's index or
// name (both names compared ignoring ASCII case). The key is cut at the first
// '.' after which the rest names a parameter of the node before it, so names
// with dots ("Cub. Att.") work. Values go through SetValue or SetText and are
// clamped like the editor's. False with a message listing the valid names.
bool ApplyParamSetting(NodeGraph& graph, const ParamSetting& setting, std::string* error);
