// The document: every node (the Store node first), every cable, and the
// texture size that all images share.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/Node.h"

class NodeRegistry;
class RenderCancel;
class RenderContext;
class Stream;

// A node out of the document and the place it came from (-1: the end).
struct HeldNode {
    std::unique_ptr<Node> node;
    int index = -1;
};

// A cable out of the document and its places in the graph's list and in both
// of its pins' lists (-1: the end).
struct HeldCable {
    std::unique_ptr<Cable> cable;
    int index = -1;
    int firstIndex = -1;
    int secondIndex = -1;
};

class NodeGraph {
public:
    NodeGraph(int width, int height);
    ~NodeGraph();
    NodeGraph(const NodeGraph&) = delete;
    NodeGraph& operator=(const NodeGraph&) = delete;

    // Appends the node and gives it a zero-filled image of the texture size.
    // Returns null (and drops the node) when that image cannot be allocated
    // or the document's images would no longer fit in memory.
    Node* AddNode(std::unique_ptr<Node> node);
    void RemoveNode(Node* node);  // callers ensure: not the Store, no cables

    Cable* Connect(Pin* first, Pin* second);  // checks nothing
    void RemoveCable(Cable* cable);

    // The exact inverses undo needs: what is taken out comes back at the same
    // places, so every list keeps its order. PutNode is AddNode at a place:
    // the same memory check, and an image of the texture size unless the node
    // has one; on refusal it returns null and `held` keeps the node.
    Node* PutNode(HeldNode& held);
    HeldNode TakeNode(int index);  // callers ensure: not the Store, no cables
    Cable* PutCable(HeldCable& held);
    HeldCable TakeCable(const Cable* cable);  // empty when not in the graph

    // True when rendering the Store node reaches `node` through cables.
    bool ReachesStore(const Node* node) const;

    // Every image is replaced by a zero-filled one of the new size. Either
    // all images are replaced or, when memory runs out, none is (false).
    // Also refused when the images would not fit in what the process can get.
    bool SetTextureSize(int width, int height);

    int NodeIndex(const Node* node) const;
    static int PinIndex(const Node* node, const Pin* pin);
    // The nodes a render from `root` (the Store when null) updates, counting
    // each once: the progress bar's total.
    int CountUpstream(Node* root = nullptr);

    // Renders the texture with the given context, which the caller owns.
    // With a cancel the render stops at the first checkpoint that sees it
    // requested and puts back every image and the rand state as they were
    // before; false then. A completed render writes the same bytes with or
    // without a cancel, and with or without skipping unchanged nodes.
    bool Render(RenderContext& context);
    // The same with a context of its own: no skipping.
    bool Render(RenderCancel* cancel = nullptr);
    // Brings `node` (one of this graph's) up to date by the same pull a render
    // of the texture makes, rooted at it instead of the Store: the same log
    // lines, NodeDone calls, checkpoints and rollback. Nodes it does not reach
    // are untouched, the Store included unless upstream of `node`. With
    // skipping and nothing changed since `node` last computed, every node on
    // the way is skipped and this costs only the walk.
    bool RenderFrom(Node& node, RenderContext& context);

    // The first node: the Store node in every document the program makes.
    Node* store() const { return nodes.front().get(); }
    const Image& texture() const { return *nodes.front()->image; }

    // Texture file graph section. Save refuses (before writing anything) a
    // document the format cannot hold. Load reads and validates the whole
    // section first and replaces this document only when it is good.
    bool Save(Stream& stream, std::string* error) const;
    bool Load(Stream& stream, const NodeRegistry& registry, std::string* error);

    std::vector<std::unique_ptr<Node>> nodes;
    std::vector<std::unique_ptr<Cable>> cables;
    int width;
    int height;

    // Whether `images` more images of width x height fit in what the process
    // can still get (limits, cgroup, available memory). Logs the refusal like
    // a failed allocation.
    static bool ImagesFitInMemory(size_t images, int width, int height);

private:
    void DestroyCables();
    std::unique_ptr<Image> nullImage_;
};
