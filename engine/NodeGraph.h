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

    // Every image is replaced by a zero-filled one of the new size. Either
    // all images are replaced or, when memory runs out, none is (false).
    // Also refused when the images would not fit in the machine's memory.
    bool SetTextureSize(int width, int height);

    // Inverse edits for undo. A node taken out (callers first remove its
    // cables) keeps its image and its record of what it last computed, and
    // goes back at the index it had. A cable's place is its index in `cables`
    // and in each of its pins' lists, where PutCable puts it back.
    std::unique_ptr<Node> TakeNode(Node* node);
    void PutNode(std::unique_ptr<Node> node, int index);
    struct CablePlace {
        Pin* first;
        Pin* second;
        int index, firstSlot, secondSlot;
    };
    CablePlace PlaceOf(const Cable* cable) const;
    Cable* PutCable(const CablePlace& place);

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

    // Whether `images` images of width x height fit in the machine's memory
    // (three quarters of it, leaving room for everything else). Logs the
    // refusal like a failed allocation.
    static bool ImagesFitInMemory(size_t images, int width, int height);

private:
    void DestroyCables();
    std::unique_ptr<Image> nullImage_;
};
