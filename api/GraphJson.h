// --info: the loaded graph as JSON.
#pragma once

#include <string>

class NodeGraph;

// A JSON string literal. Valid UTF-8 passes through; control characters are
// escaped, and a byte that is not part of valid UTF-8 is read as Latin-1
// (texts are single-byte in texture files), so any text gives valid JSON.
std::string JsonString(const std::string& text);

// Texture size, nodes in file order with their parameters, and cables from
// output pin to input pin.
std::string GraphJson(const NodeGraph& graph);
