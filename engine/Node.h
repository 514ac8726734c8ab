// Pins, cables and the node base class every node type derives from.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/Image.h"
#include "engine/Param.h"
#include "engine/RowBands.h"

class Node;
class Cable;
class RenderContext;

class Pin {
public:
    Pin(Node* owner, const std::string& name);

    // Identity alone decides: a pin is an output pin exactly when it is its
    // owner's outputPin.
    bool IsOutputPin() const;

    Node* const owner;
    std::vector<Cable*> cables;  // attached cables in attach order; not owned
    const std::string name;
};

class Cable {
public:
    Cable(Pin* from, Pin* to) : first(from), second(to) {}

    // The end opposite to `pin` (second when pin is first, else first).
    Pin* OtherEnd(const Pin* pin) const { return pin == first ? second : first; }

    Pin* const first;   // where the drawing began
    Pin* const second;  // where it was finished
};

// The all-zero image of the texture size that unconnected inputs read. The
// graph owns it and points this at it whenever it creates or renders.
extern Image* NullImage;

// How a node type's Update frame times its compute step: the label of its
// "took" log line (none: untimed) and whether NodeDone comes before that line.
struct NodeTiming {
    const char* label = nullptr;
    bool doneBeforeLog = false;
};

// The parameter values a Compute reads, by parameter index: every number,
// and the text of each text parameter (empty for the others).
struct ParamValues {
    std::vector<int16_t> numbers;
    std::vector<std::string> texts;
    bool operator==(const ParamValues&) const = default;
};

class Node {
public:
    static constexpr size_t kMaxNameLength = 63;

    virtual ~Node();
    virtual std::unique_ptr<Node> Clone() const = 0;

    // The one update frame: gathers the inputs (node types with input pins
    // only, so generators stay unvisited), times Compute and reports NodeDone.
    // In a cancellable render it is a checkpoint, and keeps the image for the
    // rollback before Compute writes it. A render that skips unchanged nodes
    // leaves out only Compute when it would write the bytes the image holds.
    void Update();

    // Replaces the image by a zero-filled one of the given size. On failure
    // (logged) the old image stays and false is returned.
    bool ResizeImage(int width, int height);

    // Brings every upstream node up to date (unless visited) and fills
    // inputImages, one per input pin.
    void GatherInputs();

    std::vector<std::unique_ptr<Pin>> inputPins;
    std::vector<const Image*> inputImages;
    std::unique_ptr<Pin> outputPin;
    std::vector<std::unique_ptr<Param>> params;
    const std::string name;
    const uint8_t typeId;
    uint8_t visited = 0;
    std::unique_ptr<Image> image;

    Param& param(size_t i) { return *params[i]; }
    const Param& param(size_t i) const { return *params[i]; }
    ParamValues CurrentValues() const;
    // What Compute reads: the values its render took (see
    // RenderContext::TakeParams), which the parameters may have left since;
    // outside Compute, the parameters' own.
    int16_t value(size_t i) const {
        return computing_ ? record_.values.numbers[i] : params[i]->GetValue();
    }
    std::string text(size_t i) const {
        return computing_ ? record_.values.texts[i] : params[i]->GetText();
    }

protected:
    Node(const std::string& name, uint8_t typeId, int width, int height, NodeTiming timing = {});

    // The type's own work: fills image from inputImages and the parameters.
    virtual void Compute() = 0;
    // The label of the "took" line; a type whose label depends on the result
    // overrides it.
    virtual std::string TimerLabel() const { return timing_.label; }

    // Rows of a neighbourhood filter are independent unless one of its inputs
    // is its own image (a self-loop), which it then reads while writing.
    RowOrder NeighbourhoodRowOrder() const;

    // Constructor helpers: pins and params in the node type's order.
    void AddInput(const std::string& pinName);
    void AddParams(std::span<const ParamDef> table);

    // The common clone: a new T of this node's image size with the parameter
    // values copied (numbers by value, texts by text).
    template <class T>
    std::unique_ptr<Node> CloneAs() const {
        auto clone = std::make_unique<T>(image->width, image->height);
        clone->CopyParamsFrom(*this);
        return clone;
    }

    // Tells the render listener that this node has finished.
    static void NodeDone();

private:
    // What the latest Compute read and wrote, to tell whether another would
    // write the same bytes.
    struct ComputeRecord {
        uint64_t render = 0;  // the context's number; 0 outside a render
        uint64_t output = 0;  // the image's version after it; 0: none yet
        std::vector<uint64_t> inputs;
        ParamValues values;
    };

    void CopyParamsFrom(const Node& source);
    bool NeedsCompute(const RenderContext* context, const ParamValues& values) const;
    bool Unchanged(const ParamValues& values) const;
    bool InCycle() const;
    void ComputeAndRecord(const RenderContext* context, ParamValues values);

    const NodeTiming timing_;
    ComputeRecord record_;
    bool computing_ = false;
};

class StoreNode : public Node {
public:
    static constexpr uint8_t kTypeId = 1;
    StoreNode(int width, int height);
    std::unique_ptr<Node> Clone() const override;

protected:
    void Compute() override;
};
