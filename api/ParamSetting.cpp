#include "api/ParamSetting.h"

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "engine/NodeGraph.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

// A whole decimal integer, optionally signed.
bool ParseInteger(const std::string& text, long long* number) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    auto [stop, ec] = std::from_chars(begin, end, *number);
    return begin != end && ec == std::errc() && stop == end;
}

bool IsIndex(const std::string& text, size_t count, size_t* index) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), ::isdigit)) return false;
    long long number = 0;
    if (!ParseInteger(text, &number) || number >= static_cast<long long>(count)) return false;
    *index = static_cast<size_t>(number);
    return true;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// Nodes the text names: its index, or every node with that display name.
std::vector<Node*> FindNodes(const NodeGraph& graph, const std::string& text) {
    size_t index = 0;
    if (IsIndex(text, graph.nodes.size(), &index)) return {graph.nodes[index].get()};
    std::vector<Node*> found;
    for (const auto& node : graph.nodes)
        if (SameName(node->name, text)) found.push_back(node.get());
    return found;
}

Param* FindParam(const Node& node, const std::string& text) {
    size_t index = 0;
    if (IsIndex(text, node.params.size(), &index)) return node.params[index].get();
    for (const auto& param : node.params)
        if (SameName(param->name, text)) return param.get();
    return nullptr;
}

int16_t ToInt16(long long number) {
    return static_cast<int16_t>(std::clamp<long long>(number, INT16_MIN, INT16_MAX));
}

bool SetChoice(ChoiceParam& choice, const std::string& value, std::string* error) {
    const auto& options = choice.options();
    for (size_t i = 0; i < options.size(); ++i) {
        if (SameName(options[i], value)) {
            choice.SetValue(static_cast<int16_t>(i));
            return true;
        }
    }
    long long number = 0;
    if (ParseInteger(value, &number) && number >= 0 &&
        static_cast<unsigned long long>(number) < options.size()) {
        choice.SetValue(static_cast<int16_t>(number));
        return true;
    }
    std::string list;
    for (const std::string& option : options) list += (list.empty() ? "" : ", ") + Quoted(option);
    *error = Quoted(value) + " is not an option of " + Quoted(choice.name) + " (options: " + list +
             ", or an index from 0 to " + std::to_string(options.size() - 1) + ")";
    return false;
}

bool SetParam(Param& param, const std::string& value, std::string* error) {
    if (!param.isNumeric) {
        param.SetText(value);
        return true;
    }
    if (auto* choice = dynamic_cast<ChoiceParam*>(&param)) return SetChoice(*choice, value, error);
    long long number = 0;
    if (!ParseInteger(value, &number)) {
        *error = Quoted(param.name) + " needs a whole number from " +
                 std::to_string(param.GetMin()) + " to " + std::to_string(param.GetMax()) +
                 ", not " + Quoted(value);
        return false;
    }
    param.SetValue(ToInt16(number));
    return true;
}

}  // namespace

bool ParseParamSetting(const std::string& text, ParamSetting* setting, std::string* error) {
    size_t equals = text.find('=');
    if (equals == std::string::npos || text.find('.') >= equals) {
        *error = "--set needs NODE.PARAM=VALUE, not " + Quoted(text);
        return false;
    }
    *setting = {text.substr(0, equals), text.substr(equals + 1)};
    return true;
}

bool ApplyParamSetting(NodeGraph& graph, const ParamSetting& setting, std::string* error) {
    const std::string& key = setting.key;
    std::string problem;
    for (size_t dot = key.find('.'); dot != std::string::npos; dot = key.find('.', dot + 1)) {
        const std::string nodeText = key.substr(0, dot), paramText = key.substr(dot + 1);
        std::vector<Node*> nodes = FindNodes(graph, nodeText);
        if (nodes.size() > 1 && problem.empty()) {
            problem = "--set " + key + ": " + std::to_string(nodes.size()) + " nodes are named " +
                      Quoted(nodeText) +
                      "; use the node's index (nodes: " + IndexedNames(graph.nodes) + ")";
        }
        if (nodes.size() != 1) continue;
        if (Param* param = FindParam(*nodes[0], paramText)) {
            if (SetParam(*param, setting.value, &problem)) return true;
            *error = "--set " + key + ": " + problem;
            return false;
        }
        if (problem.empty()) {
            problem = "--set " + key + ": node " + Quoted(nodeText) + " has no parameter " +
                      Quoted(paramText) + " (parameters: " + IndexedNames(nodes[0]->params) + ")";
        }
    }
    if (problem.empty()) {
        problem = "--set " + key + ": no node " + Quoted(key.substr(0, key.find('.'))) +
                  " (nodes: " + IndexedNames(graph.nodes) + ")";
    }
    *error = problem;
    return false;
}
