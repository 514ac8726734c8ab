#include "view/ViewModel.h"

#include "controls/MessageIds.h"
#include "engine/NodeGraph.h"

using view::Point;
using view::Rect;

void NodesViewModel::Rebuild() {
    std::vector<NodeBox> frame;
    pinSpots_.clear();
    cableTraces_.clear();
    rubberBandCount_ = 0;
    if (graph) {
        for (size_t i = 0; i < graph->nodes.size(); ++i)
            AddNode(graph->nodes[i].get(), static_cast<int>(i), frame);
        // A start pin that no longer names a spot (the graph changed) ends the drawing.
        if (drawing_ && startPin_ >= static_cast<int>(pinSpots_.size())) CancelDrawing();
        if (drawing_ && startPin_ >= 0 && endPin_ < 0) {
            const Point from = pinSpots_[startPin_].rect().Centre();
            rubberBandCount_ = DrawCurve(from.x, from.y, mouseX_, mouseY_, rubberBand_);
        }
        AddCables();
    }
    // Boxes of nodes no longer in the graph disappear; indices become current.
    boxes_ = std::move(frame);
}

void NodesViewModel::AddNode(Node* node, int index, std::vector<NodeBox>& frame) {
    NodeBox box{view::kDefaultBoxLeft,
                view::kDefaultBoxTop,
                view::kDefaultBoxLeft + view::kBoxSize,
                view::kDefaultBoxTop + view::kBoxSize,
                node,
                index};
    for (const NodeBox& old : boxes_) {
        if (old.node == node) {
            box = old;
            break;
        }
    }
    const Rect sized = view::BoxAt(box.left, box.top, thumbnails);
    box.right = sized.right;
    box.bottom = sized.bottom;
    box.node = node;
    box.index = index;
    frame.push_back(box);

    const Rect inner = view::BoxHead(box.rect()).Moved(-scrollX, -scrollY).Shrunk(view::kTextInset);
    // The Store node (always first) has no output to offer.
    if (index != 0 && node->outputPin)
        AddPin(node, node->outputPin.get(), -1, view::OutputPinRect(inner));
    const int n = static_cast<int>(node->inputPins.size());
    for (int j = 0; j < n; ++j)
        AddPin(node, node->inputPins[j].get(), j, view::InputPinRect(inner, j, n));
}

void NodesViewModel::AddPin(Node* node, Pin* pin, int index, const Rect& r) {
    pinSpots_.push_back({r.left, r.top, r.right, r.bottom, node, pin, index});
}

const PinSpot* NodesViewModel::SpotOf(const Pin* pin) const {
    for (const PinSpot& spot : pinSpots_)
        if (spot.pin == pin) return &spot;
    return nullptr;
}

void NodesViewModel::AddCables() {
    for (const auto& cable : graph->cables) {
        const PinSpot* first = SpotOf(cable->first);
        const PinSpot* second = SpotOf(cable->second);
        if (!first || !second) continue;  // an end was not drawn: no trace
        const Point a = first->rect().Centre();
        const Point b = second->rect().Centre();
        CableTrace& trace = cableTraces_.emplace_back();
        trace.x0 = a.x;
        trace.y0 = a.y;
        trace.x1 = b.x;
        trace.y1 = b.y;
        trace.cable = cable.get();
        trace.sampleCount = DrawCurve(a.x, a.y, b.x, b.y, trace.samples);
    }
}

int NodesViewModel::DrawCurve(int x0, int y0, int x1, int y1, view::CurveSamples& samples) const {
    return view::ComputeCurve(x0, y0, x1, y1, cableResolution, samples);
}

int NodesViewModel::HitNode(int x, int y) const {
    for (const NodeBox& box : boxes_)
        if (box.rect().ContainsInclusive(x + scrollX, y + scrollY)) return box.index;
    return -1;
}

int NodesViewModel::HitPin(int x, int y) const {
    for (size_t i = 0; i < pinSpots_.size(); ++i)
        if (pinSpots_[i].rect().ContainsInclusive(x, y)) return static_cast<int>(i);
    return -1;
}

int NodesViewModel::HitCable(int x, int y) const {
    for (size_t i = 0; i < cableTraces_.size(); ++i) {
        const CableTrace& trace = cableTraces_[i];
        // Only every second sample is tested, so coarse cables have gaps.
        for (int s = 0; s < trace.sampleCount && s < cableResolution; s += 2) {
            const long long dx = trace.samples[s].x - x;
            const long long dy = trace.samples[s].y - y;
            if (dx * dx + dy * dy <= 64) return static_cast<int>(i);
        }
    }
    return -1;
}

ViewMessage NodesViewModel::Select(int x, int y) {
    const int c = HitCable(x, y);
    if (c >= 0) {
        selectedCable = cableTraces_[c].cable;
        // The graph's index, which is the trace's whenever every cable is drawn.
        int index = c;
        for (size_t i = 0; graph && i < graph->cables.size(); ++i)
            if (graph->cables[i].get() == selectedCable) index = static_cast<int>(i);
        return {MSG_SELECT_CABLE, index};
    }
    selectedCable = nullptr;
    const int n = HitNode(x, y);
    if (n >= 0) return {MSG_SELECT_NODE, n};
    return {MSG_SELECT_NONE, 0};
}

ViewMessage NodesViewModel::DeleteRequest() const {
    if (selectedNode) return {MSG_DELETE_NODE, 0};
    if (selectedCable) return {MSG_DELETE_CABLE, 0};
    return {};
}

void NodesViewModel::CancelDrawing() {
    drawing_ = false;
    startPin_ = -1;
    endPin_ = -1;
}

void NodesViewModel::RightButtonDown(int x, int y) {
    const int k = HitPin(x, y);
    if (!drawing_) {
        if (k < 0) return;
        const Pin* pin = pinSpots_[k].pin;
        if (!pin->IsOutputPin() && !pin->cables.empty()) return;  // one cable per input
        endPin_ = -1;
        startPin_ = k;
        drawing_ = true;
        mouseX_ = x;
        mouseY_ = y;
        return;
    }
    if (k < 0 || startPin_ >= static_cast<int>(pinSpots_.size())) {
        CancelDrawing();
        return;
    }
    Pin* start = pinSpots_[startPin_].pin;
    Pin* end = pinSpots_[k].pin;
    const bool oneOutput = start->IsOutputPin() != end->IsOutputPin();
    const bool endFree = end->IsOutputPin() || end->cables.empty();
    if (!oneOutput || !endFree) return;  // refused; the drawing goes on
    drawing_ = false;
    endPin_ = k;
    if (drawCable) drawCable(start, end);
}

bool NodesViewModel::TrackRubberBand(int x, int y) {
    if (!drawing_) return false;
    mouseX_ = x;
    mouseY_ = y;
    return true;
}

bool NodesViewModel::BeginMove(int x, int y) {
    const int n = HitNode(x, y);
    if (n < 0 || n >= static_cast<int>(boxes_.size())) return false;
    moving_ = true;
    moveIndex_ = n;
    boxStartLeft_ = boxes_[n].left;
    boxStartTop_ = boxes_[n].top;
    moveStartX_ = x;
    moveStartY_ = y;
    return true;
}

bool NodesViewModel::MoveBox(int x, int y) {
    if (!moving_) return false;
    if (moveIndex_ >= static_cast<int>(boxes_.size())) {
        moving_ = false;  // the box went away with its node
        return false;
    }
    NodeBox& box = boxes_[moveIndex_];
    box.left = boxStartLeft_ + (x - moveStartX_);
    box.top = boxStartTop_ + (y - moveStartY_);
    const Rect sized = view::BoxAt(box.left, box.top, thumbnails);
    box.right = sized.right;
    box.bottom = sized.bottom;
    return true;
}

std::vector<Point> NodesViewModel::Corners() const {
    std::vector<Point> corners;
    if (!graph) {
        for (const NodeBox& box : boxes_) corners.push_back({box.left, box.top});
        return corners;
    }
    for (const auto& node : graph->nodes) {
        Point corner{view::kDefaultBoxLeft, view::kDefaultBoxTop};
        for (const NodeBox& box : boxes_) {
            if (box.node == node.get()) {
                corner = {box.left, box.top};
                break;
            }
        }
        corners.push_back(corner);
    }
    return corners;
}

void NodesViewModel::SetCorners(const std::vector<Point>& corners) {
    boxes_.clear();
    if (!graph) return;
    for (size_t i = 0; i < corners.size() && i < graph->nodes.size(); ++i) {
        const Rect r = view::BoxAt(corners[i].x, corners[i].y, thumbnails);
        boxes_.push_back(
            {r.left, r.top, r.right, r.bottom, graph->nodes[i].get(), static_cast<int>(i)});
    }
}

std::vector<BoxPos> NodesViewModel::Layout() const {
    std::vector<BoxPos> layout;
    for (const view::Point& corner : Corners())
        layout.push_back({static_cast<int16_t>(corner.x), static_cast<int16_t>(corner.y)});
    return layout;
}

void NodesViewModel::SetLayout(const std::vector<BoxPos>& layout) {
    std::vector<view::Point> corners;
    for (const BoxPos& box : layout) corners.push_back({box.x, box.y});
    SetCorners(corners);
}
