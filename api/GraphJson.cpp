#include "api/GraphJson.h"

#include <cstdio>

#include "engine/NodeGraph.h"

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
size_t Utf8Length(const std::string& text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    size_t length = lead < 0x80         ? 1
                    : (lead >> 5) == 6  ? 2
                    : (lead >> 4) == 14 ? 3
                    : (lead >> 3) == 30 ? 4
                                        : 0;
    if (length == 0 || i + length > text.size()) return 0;
    unsigned code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    static const unsigned kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < kMinimum[length] || code > 0x10FFFF || surrogate ? 0 : length;
}

std::string Escaped(unsigned code) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", code);
    return buffer;
}

std::string ParamJson(const Param& param) {
    std::string json = "{\"name\": " + JsonString(param.name) + ", ";
    if (!param.isNumeric)
        return json + "\"kind\": \"text\", \"value\": " + JsonString(param.GetText()) + "}";
    std::string value = std::to_string(param.GetValue());
    if (auto* choice = dynamic_cast<const ChoiceParam*>(&param)) {
        json += "\"kind\": \"choice\", \"value\": " + value +
                ", \"text\": " + JsonString(choice->GetText()) + ", \"options\": [";
        for (size_t i = 0; i < choice->options().size(); ++i)
            json += (i ? ", " : "") + JsonString(choice->options()[i]);
        return json + "]}";
    }
    return json + "\"kind\": \"int\", \"value\": " + value +
           ", \"min\": " + std::to_string(param.GetMin()) +
           ", \"max\": " + std::to_string(param.GetMax()) + "}";
}

std::string NodeJson(const NodeGraph& graph, const Node& node) {
    std::string json = "    {\"index\": " + std::to_string(graph.NodeIndex(&node)) +
                       ", \"type\": " + std::to_string(node.typeId) +
                       ", \"name\": " + JsonString(node.name) + ", \"params\": [";
    for (size_t i = 0; i < node.params.size(); ++i)
        json += std::string(i ? ",\n      " : "\n      ") + ParamJson(*node.params[i]);
    return json + (node.params.empty() ? "]}" : "\n    ]}");
}

std::string EndJson(const NodeGraph& graph, const Pin& pin) {
    return "{\"node\": " + std::to_string(graph.NodeIndex(pin.owner)) +
           ", \"pin\": " + JsonString(pin.name) + "}";
}

std::string CableJson(const NodeGraph& graph, const Cable& cable) {
    // Either end may be where the cable was drawn from; list the output first.
    const Pin* from = cable.second->IsOutputPin() ? cable.second : cable.first;
    return "    {\"from\": " + EndJson(graph, *from) +
           ", \"to\": " + EndJson(graph, *cable.OtherEnd(from)) + "}";
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = Utf8Length(text, i);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || length == 0) {
            json += Escaped(c);
            length = 1;
        } else {
            json.append(text, i, length);
        }
        i += length ? length : 1;
    }
    return json + "\"";
}

std::string GraphJson(const NodeGraph& graph) {
    std::string json = "{\n  \"width\": " + std::to_string(graph.width) +
                       ",\n  \"height\": " + std::to_string(graph.height) + ",\n  \"nodes\": [";
    for (size_t i = 0; i < graph.nodes.size(); ++i)
        json += std::string(i ? ",\n" : "\n") + NodeJson(graph, *graph.nodes[i]);
    json += "\n  ],\n  \"cables\": [";
    for (size_t i = 0; i < graph.cables.size(); ++i)
        json += std::string(i ? ",\n" : "\n") + CableJson(graph, *graph.cables[i]);
    return json + (graph.cables.empty() ? "]\n}\n" : "\n  ]\n}\n");
}
