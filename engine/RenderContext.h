// Everything one render keeps while it runs: the cancel it honours, what a
// cancel must put back, its number, the stopwatch of its "took" lines and
// whether nodes that would give the same bytes are skipped. Whoever starts a
// render owns one (the editor's render scheduler, the command-line renderer);
// NodeGraph::Render makes it the active context of its thread meanwhile,
// because node types reach it only through the engine (ForEachRow, Update).
// A context serves one render; the next render takes a new one.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/Diagnostics.h"
#include "engine/Node.h"

class Image;
class NodeGraph;
class RenderCancel;

class RenderContext {
public:
    // Without a cancel the render cannot be stopped and keeps no copies.
    explicit RenderContext(RenderCancel* cancel = nullptr, bool skipUnchanged = false);
    ~RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;

    // The context of the render running on this thread, or null.
    static RenderContext* Active();

    // The cancel to honour: null without one, and once the render can no
    // longer be undone.
    RenderCancel* cancel() const { return cancel_; }
    bool skipUnchanged() const { return skipUnchanged_; }
    // Tells this render from every other: a generator pulled twice in one
    // render keeps the image it just computed.
    uint64_t number() const { return number_; }
    Stopwatch& stopwatch() { return stopwatch_; }

    // Takes the parameter values of every node for the render to compute
    // with, on the thread that owns the document, which may then change them
    // while the render runs on another (structural edits still stop it).
    // Without this the render reads each node's values as it reaches it.
    void TakeParams(const NodeGraph& graph);
    ParamValues ValuesOf(const Node& node) const;

    // Copies the node's image before its first write in this render. Peak
    // memory: one extra image for each node the render has computed so far.
    // When no copy can be had, the render stops honouring the cancel.
    void Keep(Node& node);

private:
    friend class NodeGraph;
    // For the render's duration, on the thread that runs it.
    class Scope {
    public:
        explicit Scope(RenderContext& context);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

    // Puts back every kept image (with its version: the copy becomes the
    // node's image, so this takes no time) and the rand state.
    void Restore();

    RenderCancel* cancel_;
    const bool skipUnchanged_;
    uint64_t number_ = 0;
    Stopwatch stopwatch_;
    uint32_t randState_ = 0;
    std::vector<std::pair<Node*, std::unique_ptr<Image>>> kept_;
    std::unordered_map<const Node*, ParamValues> params_;
};
