// The node editor without pixels: the boxes, pin spots and cable traces of
// the last paint, the hit tests that read them, the cable drawing state
// machine and box moving. NodesView paints from these lists.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "engine/TextureFile.h"
#include "view/Geometry.h"
#include "view/ViewTransform.h"

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
    std::vector<Node*> selectedNodes;  // drawn with the selection outline
    Cable* selectedCable = nullptr;
    int scrollX = 0;
    int scrollY = 0;
    int cableResolution = 100;      // 10, 100 or 500
    view::ViewTransform transform;  // the zoom, applied at the widget's edge
    int viewWidth = 0;              // the widget's size in window pixels
    int viewHeight = 0;
    bool thumbnails = false;  // boxes grow to show their node's thumbnail
    // Makes the cable the user finished drawing (an undoable command).
    std::function<void(Pin* first, Pin* second)> drawCable;

    // Rebuilds boxes, pin spots and cable traces as a paint does, and the
    // rubber band while a cable is being drawn.
    void Rebuild();

    bool IsSelected(const Node* node) const;

    int HitNode(int x, int y) const;   // index field of the box on top, or -1
    int HitPin(int x, int y) const;    // position in the pin spots, or -1
    int HitCable(int x, int y) const;  // position in the cable traces, or -1

    // The curve of a cable at this view's resolution (see view::ComputeCurve).
    int DrawCurve(int x0, int y0, int x1, int y1, view::CurveSamples& samples) const;

    // Left button: selects a cable before a box; a box already selected keeps
    // the selection (to be dragged); empty space starts a selection rectangle.
    // With `toggle` (Ctrl) the box goes into or out of the selection, and a
    // rectangle adds to it. Reads the lists as they are, so rebuild first.
    ViewMessage Select(int x, int y, bool toggle = false);
    // Delete key: asks for the selected nodes' deletion, else the cable's.
    ViewMessage DeleteRequest() const;

    // Mouse move while a selection rectangle is dragged: every box it
    // touches is selected; true when the rectangle moved.
    bool TrackBandSelect(int x, int y);
    // Ends the rectangle; the message tells of the new selection when it was dragged.
    ViewMessage EndBandSelect();
    bool bandSelecting() const { return banding_; }
    // The selection rectangle in window coordinates.
    view::Rect BandRect() const { return view::Spanning(bandStart_, bandEnd_); }

    // Right button: starts, finishes (through drawCable) or cancels a cable.
    void RightButtonDown(int x, int y);
    // Mouse move while drawing; true when the rubber band moved.
    bool TrackRubberBand(int x, int y);

    // Middle button, or a left drag: starts moving the box under the point,
    // with every other selected box when it is selected; true if one was hit.
    bool BeginMove(int x, int y);
    // Mouse move while moving; true when the boxes moved.
    bool MoveBox(int x, int y);
    void EndMove() { moving_ = false; }

    // Left press: starts a cable drawn by dragging from the pin under the
    // point; true if one was hit. The release finishes it over a pin that
    // takes it, and drops it anywhere else.
    bool BeginCableDrag(int x, int y);
    void EndCableDrag(int x, int y);
    bool cableDragging() const { return dragging_; }
    // Drops the cable being drawn, if any.
    void CancelDrawing();
    // The pin a cable being drawn starts from, or null.
    Pin* drawingFrom() const;

    // The document point under a window pixel.
    view::Point DocumentAt(view::Point window) const;
    // The scroll positions that reach every box and the spawning pool with a
    // margin to spare, never less than the first screenful and always
    // including the current position: {minX, minY, maxX, maxY}.
    view::Rect ScrollRange() const;
    // Scrolls; a box being moved stays under the mouse.
    void SetScroll(int x, int y);
    // Zooms to `percent`, keeping the document point under `window` in place.
    void ZoomAbout(view::Point window, int percent);
    // Zooms (to at most 100%) and scrolls so the boxes fit, centred: the
    // selected ones, or all when `selection` is false or nothing is selected.
    void Frame(bool selection);
    // Scrolls the least that brings the Store's box into view, if it is out.
    void ShowStore();

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
    bool CanStart(const Pin* pin) const;
    bool FinishCable(int k);
    view::Rect Bounds(bool selection) const;
    view::Rect VisibleRect() const;  // in document coordinates

    std::vector<NodeBox> boxes_;
    std::vector<PinSpot> pinSpots_;
    std::vector<CableTrace> cableTraces_;

    bool moving_ = false;
    std::vector<std::pair<int, view::Point>> moved_;  // box index, corner at the start
    int moveStartX_ = 0;
    int moveStartY_ = 0;

    bool banding_ = false;
    bool bandMoved_ = false;
    view::Point bandStart_{0, 0};
    view::Point bandEnd_{0, 0};
    std::vector<Node*> bandBase_;  // selected before a Ctrl rectangle

    bool drawing_ = false;
    int startPin_ = -1;
    int endPin_ = -1;
    bool dragging_ = false;  // drawn with the left button held
    int mouseX_ = 0;
    int mouseY_ = 0;

    int rubberBandCount_ = 0;
    view::CurveSamples rubberBand_{};
};
