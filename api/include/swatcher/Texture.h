// Swatcher's engine for other programs: open or build a texture graph, set
// parameters, render, read the pixels, save the file.
//
// One render at a time per process: the engine keeps process-wide state (the
// all-zero image unconnected inputs read, the random generator, the render
// listener, the render thread count). Every call below that touches a graph
// takes one process-wide lock, so textures may be used from several threads,
// but their renders run one after another, never at once.
//
// Errors are thrown as UsageError (bad keys, values, names, sizes) or
// FileError (files that cannot be read or written), with the messages that
// swatcher-render prints.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace swatcher {

class Error : public std::runtime_error {
    using std::runtime_error::runtime_error;
};
class UsageError : public Error {
    using Error::Error;
};
class FileError : public Error {
    using Error::Error;
};

// The largest side of a texture.
constexpr int kMaxSide = 8192;

struct ParamInfo {
    enum class Kind { kInt, kChoice, kText };
    std::string name;
    Kind kind;
    int value;                         // kInt and kChoice
    int min, max;                      // kInt and kChoice
    std::string text;                  // the option's text, or the text parameter's
    std::vector<std::string> options;  // kChoice
};

struct NodeInfo {
    int type;  // the type id stored in texture files
    std::string name;
    std::vector<std::string> inputs;
    std::vector<ParamInfo> params;
};

// Pixels as stored: 4 bytes each (red, green, blue, fourth byte), rows from
// the top, no padding.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;
};

// The display names of the node types add_node accepts, in the editor's order.
std::vector<std::string> NodeTypes();

class Texture {
public:
    // A new graph of size x size pixels holding only its Store node.
    explicit Texture(int size = 64);
    static Texture Load(const std::string& path);
    ~Texture();
    Texture(Texture&&) noexcept;
    Texture& operator=(Texture&&) noexcept;

    int width() const;
    int height() const;
    // Nodes in file order (0 is the Store node).
    std::vector<NodeInfo> Nodes() const;
    // The graph as swatcher-render --info prints it.
    std::string InfoJson() const;

    // Sets a parameter by swatcher-render --set's NODE.PARAM key and VALUE.
    void Set(const std::string& key, const std::string& value);
    // Adds a node of the named type (case ignored); returns its index.
    int AddNode(const std::string& typeName);
    // Joins fromNode's output to input pin toPin of toNode, as the editor
    // does: the input must be free; cycles are allowed.
    void Connect(int fromNode, int toNode, int toPin = 0);
    // Every image becomes size x size and zero until the next render.
    void SetSize(int size);

    // Renders on `threads` threads (none: SWATCHER_THREADS, else every core)
    // and returns the texture; a size first sets the size.
    Pixels Render(std::optional<int> size = {}, std::optional<int> threads = {});
    // Writes a texture file; an existing file is replaced only when complete.
    void Save(const std::string& path) const;

private:
    struct Graph;
    explicit Texture(std::unique_ptr<Graph> graph);
    std::unique_ptr<Graph> graph_;
};

}  // namespace swatcher
