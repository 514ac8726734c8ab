// The layout section of texture files and whole-file load and save.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Image;
class Node;
class NodeGraph;
class NodeRegistry;
class Pin;
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

// The graph section of some of a graph's nodes, in the order given, and of
// the cables with both ends among them.
bool SaveNodes(Stream& stream, const NodeGraph& graph, const std::vector<const Node*>& nodes,
               std::string* error);

// The node and cable records of a graph section, read and checked.
struct GraphRecords {
    std::vector<std::unique_ptr<Node>> nodes;
    std::vector<std::pair<Pin*, Pin*>> links;  // pins of those nodes
};
// Reads the records that follow a graph section's counts. Each node gets an
// image of `size`'s size, or keeps the registry's when it is null.
bool ReadGraphRecords(Stream& stream, const NodeRegistry& registry, size_t nodeCount,
                      size_t cableCount, const Image* size, GraphRecords& records,
                      std::string* error);

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
