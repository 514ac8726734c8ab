// The node editor without pixels: the boxes, pin spots and cable traces of
// the last paint, the hit tests that read them, the cable drawing state
// machine and box moving. NodesView paints from these lists.
#pragma once

#include <functional>
#include <vector>

#include "engine/TextureFile.h"
#include "view/Geometry.h"

class Cable;
class Node;
class NodeGraph;
class Pin;

// The place of one node, in document coordinates (before scrolling).
struct NodeBox {
    int left;
    int top;
    int right;
    int bottom;
    Node* node;
    int index;  // the node's position in the graph's node list at the last paint
    view::Rect rect() const { return {left, top, right, bottom}; }
};

// One drawn pin, in window coordinates (after scrolling).
struct PinSpot {
    int left;
    int top;
    int right;
    int bottom;
    Node* node;
    Pin* pin;
    int index;  // input pin position, -1 for the output pin
    view::Rect rect() const { return {left, top, right, bottom}; }
};

// One drawn cable, in window coordinates.
struct CableTrace {
    int x0;
    int y0;
    int x1;
    int y1;
    Cable* cable;
    int sampleCount;  // samples computed by the curve
    view::CurveSamples samples;
};

// A private message for the main window: number and argument; 0 for none.
struct ViewMessage {
    int message = 0;
    int argument = 0;
};

class NodesViewModel {
public:
    NodeGraph* graph = nullptr;
    Node* selectedNode = nullptr;
    Cable* selectedCable = nullptr;
    int scrollX = 0;
    int scrollY = 0;
    int cableResolution = 100;  // 10, 100 or 500
    bool thumbnails = false;    // boxes grow to show their node's thumbnail
    // Makes the cable the user finished drawing (an undoable command).
    std::function<void(Pin* first, Pin* second)> drawCable;

    // Rebuilds boxes, pin spots and cable traces as a paint does, and the
    // rubber band while a cable is being drawn.
    void Rebuild();

    int HitNode(int x, int y) const;   // index field of the first box, or -1
    int HitPin(int x, int y) const;    // position in the pin spots, or -1
    int HitCable(int x, int y) const;  // position in the cable traces, or -1

    // The curve of a cable at this view's resolution (see view::ComputeCurve).
    int DrawCurve(int x0, int y0, int x1, int y1, view::CurveSamples& samples) const;

    // Left button: selects a cable before a box. Reads the lists as they are,
    // so rebuild first.
    ViewMessage Select(int x, int y);
    // Delete key: asks for the selected node's deletion, else the cable's.
    ViewMessage DeleteRequest() const;

    // Right button: starts, finishes (through drawCable) or cancels a cable.
    void RightButtonDown(int x, int y);
    // Mouse move while drawing; true when the rubber band moved.
    bool TrackRubberBand(int x, int y);

    // Middle button: starts moving the box under the point; true if one was hit.
    bool BeginMove(int x, int y);
    // Mouse move while moving; true when a box moved.
    bool MoveBox(int x, int y);
    void EndMove() { moving_ = false; }

    // Box corners for every node of the graph in node order (the default place
    // for a node without a box), and back.
    std::vector<view::Point> Corners() const;
    void SetCorners(const std::vector<view::Point>& corners);
    // The same positions for SaveTextureFile / LoadTextureFile.
    std::vector<BoxPos> Layout() const;
    void SetLayout(const std::vector<BoxPos>& layout);

    const std::vector<NodeBox>& boxes() const { return boxes_; }
    const std::vector<PinSpot>& pinSpots() const { return pinSpots_; }
    const std::vector<CableTrace>& cableTraces() const { return cableTraces_; }
    bool drawing() const { return drawing_; }
    bool moving() const { return moving_; }
    // The rubber band of the last rebuild; empty when none was drawn.
    int rubberBandCount() const { return rubberBandCount_; }
    const view::CurveSamples& rubberBand() const { return rubberBand_; }

private:
    void AddNode(Node* node, int index, std::vector<NodeBox>& frame);
    void AddPin(Node* node, Pin* pin, int index, const view::Rect& rect);
    void AddCables();
    const PinSpot* SpotOf(const Pin* pin) const;
    void CancelDrawing();

    std::vector<NodeBox> boxes_;
    std::vector<PinSpot> pinSpots_;
    std::vector<CableTrace> cableTraces_;

    bool moving_ = false;
    int moveIndex_ = 0;
    int moveStartX_ = 0;
    int moveStartY_ = 0;
    int boxStartLeft_ = 0;
    int boxStartTop_ = 0;

    bool drawing_ = false;
    int startPin_ = -1;
    int endPin_ = -1;
    int mouseX_ = 0;
    int mouseY_ = 0;

    int rubberBandCount_ = 0;
    view::CurveSamples rubberBand_{};
};
