// The layout section of texture files and whole-file load and save.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class NodeGraph;
class NodeRegistry;
class Stream;

// Top-left corner of a node box in the editor view.
struct BoxPos {
    int16_t x = 30;
    int16_t y = 30;
    bool operator==(const BoxPos&) const = default;
};

// Writes B and the corners (B at most 255; SaveTextureFile refuses larger
// documents before writing).
void WriteLayoutSection(Stream& stream, const std::vector<BoxPos>& boxes);

// Reads B and the corners. A missing or short section gives what could be
// read; entries beyond nodeCount are read and dropped; nodes without an entry
// keep the default place.
std::vector<BoxPos> ReadLayoutSection(Stream& stream, size_t nodeCount);

// Loads graph and layout from a file. On any failure the graph is untouched
// and error names the file and the problem. A layout section that is short or
// followed by more bytes still loads; warning then names the file and says so
// (and is empty otherwise).
bool LoadTextureFile(const std::string& path, NodeGraph& graph, const NodeRegistry& registry,
                     std::vector<BoxPos>* layout, std::string* error,
                     std::string* warning = nullptr);

// Saves graph and layout (one box per node, defaults where layout is short).
// An existing file is replaced only once the new one is completely written.
bool SaveTextureFile(const std::string& path, const NodeGraph& graph,
                     const std::vector<BoxPos>& layout, std::string* error);
