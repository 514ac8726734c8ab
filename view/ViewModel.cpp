#include "view/ViewModel.h"

#include <algorithm>
#include <optional>

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

bool NodesViewModel::IsSelected(const Node* node) const {
    return std::find(selectedNodes.begin(), selectedNodes.end(), node) != selectedNodes.end();
}

// The box drawn last is on top: a click takes what the user sees.
int NodesViewModel::HitNode(int x, int y) const {
    for (auto box = boxes_.rbegin(); box != boxes_.rend(); ++box)
        if (box->rect().ContainsInclusive(x + scrollX, y + scrollY)) return box->index;
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

ViewMessage NodesViewModel::Select(int x, int y, bool toggle) {
    const int c = toggle ? -1 : HitCable(x, y);
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
    if (n < 0) {
        banding_ = true;
        bandMoved_ = false;
        bandStart_ = bandEnd_ = {x, y};
        bandBase_ = toggle ? selectedNodes : std::vector<Node*>{};
        return toggle ? ViewMessage{} : ViewMessage{MSG_SELECT_NONE, 0};
    }
    Node* node = boxes_[n].node;
    if (toggle) {
        if (IsSelected(node))
            std::erase(selectedNodes, node);
        else
            selectedNodes.push_back(node);
        return {MSG_SELECT_NODES, 0};
    }
    if (IsSelected(node)) return {};
    return {MSG_SELECT_NODE, n};
}

bool NodesViewModel::TrackBandSelect(int x, int y) {
    if (!banding_) return false;
    bandEnd_ = {x, y};
    bandMoved_ = true;
    const Rect band = BandRect().Moved(scrollX, scrollY);
    selectedNodes = bandBase_;
    for (const NodeBox& box : boxes_)
        if (box.rect().Touches(band) && !IsSelected(box.node)) selectedNodes.push_back(box.node);
    return true;
}

ViewMessage NodesViewModel::EndBandSelect() {
    const bool dragged = banding_ && bandMoved_;
    banding_ = false;
    return dragged ? ViewMessage{MSG_SELECT_NODES, 0} : ViewMessage{};
}

ViewMessage NodesViewModel::DeleteRequest() const {
    if (!selectedNodes.empty()) return {MSG_DELETE_NODE, 0};
    if (selectedCable) return {MSG_DELETE_CABLE, 0};
    return {};
}

void NodesViewModel::CancelDrawing() {
    drawing_ = false;
    dragging_ = false;
    startPin_ = -1;
    endPin_ = -1;
}

bool NodesViewModel::CanStart(const Pin* pin) const {
    return pin->IsOutputPin() || pin->cables.empty();  // one cable per input
}

// Makes the cable to pin spot `k` if the rules allow it; false when refused.
bool NodesViewModel::FinishCable(int k) {
    Pin* start = pinSpots_[startPin_].pin;
    Pin* end = pinSpots_[k].pin;
    const bool oneOutput = start->IsOutputPin() != end->IsOutputPin();
    const bool endFree = end->IsOutputPin() || end->cables.empty();
    if (!oneOutput || !endFree) return false;
    drawing_ = false;
    dragging_ = false;
    endPin_ = k;
    if (drawCable) drawCable(start, end);
    return true;
}

void NodesViewModel::RightButtonDown(int x, int y) {
    const int k = HitPin(x, y);
    if (!drawing_) {
        if (k < 0 || !CanStart(pinSpots_[k].pin)) return;
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
    FinishCable(k);  // refused: the drawing goes on
}

bool NodesViewModel::BeginCableDrag(int x, int y) {
    if (drawing_) return false;  // a right-button cable is under way
    RightButtonDown(x, y);
    dragging_ = drawing_;
    if (dragging_) banding_ = false;  // a press on a pin off every box draws no band
    return dragging_;
}

void NodesViewModel::EndCableDrag(int x, int y) {
    if (!dragging_) return;
    const int k = HitPin(x, y);
    const bool valid = startPin_ < static_cast<int>(pinSpots_.size());
    if (!valid || k < 0 || !FinishCable(k)) CancelDrawing();
}

Pin* NodesViewModel::drawingFrom() const {
    if (!drawing_ || startPin_ < 0 || startPin_ >= static_cast<int>(pinSpots_.size()))
        return nullptr;
    return pinSpots_[startPin_].pin;
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
    const bool group = IsSelected(boxes_[n].node);
    moved_.clear();
    for (const NodeBox& box : boxes_)
        if (group ? IsSelected(box.node) : box.index == n)
            moved_.emplace_back(box.index, Point{box.left, box.top});
    moving_ = true;
    moveStartX_ = x;
    moveStartY_ = y;
    return true;
}

Point NodesViewModel::DocumentAt(Point window) const {
    const Point at = transform.ToModel(window);
    return {at.x + scrollX, at.y + scrollY};
}

Rect NodesViewModel::VisibleRect() const {
    return {scrollX, scrollY, scrollX + transform.ToModelLength(viewWidth),
            scrollY + transform.ToModelLength(viewHeight)};
}

// The spawning pool's frame and the boxes, selected ones only if asked and
// there are any.
Rect NodesViewModel::Bounds(bool selection) const {
    Rect all = view::kPoolFrame;
    std::optional<Rect> chosen;
    for (const NodeBox& box : boxes_) {
        all = view::Union(all, box.rect());
        if (selection && IsSelected(box.node))
            chosen = chosen ? view::Union(*chosen, box.rect()) : box.rect();
    }
    return chosen ? *chosen : all;
}

Rect NodesViewModel::ScrollRange() const {
    constexpr int kMargin = 40;
    constexpr int kFirstScreen = 400;
    const Rect bounds = Bounds(false);
    const Rect visible = VisibleRect();
    const int width = visible.right - visible.left;
    const int height = visible.bottom - visible.top;
    // Left and up the range only grows past the origin when a box does.
    return {std::min(bounds.left < 0 ? bounds.left - kMargin : 0, scrollX),
            std::min(bounds.top < 0 ? bounds.top - kMargin : 0, scrollY),
            std::max({kFirstScreen, bounds.right + kMargin - width, scrollX}),
            std::max({kFirstScreen, bounds.bottom + kMargin - height, scrollY})};
}

void NodesViewModel::SetScroll(int x, int y) {
    // The dragged box follows the document point under the mouse.
    moveStartX_ -= x - scrollX;
    moveStartY_ -= y - scrollY;
    scrollX = x;
    scrollY = y;
}

void NodesViewModel::ZoomAbout(Point window, int percent) {
    const Point at = DocumentAt(window);
    transform.SetZoom(percent);
    const Point now = transform.ToModel(window);
    SetScroll(at.x - now.x, at.y - now.y);
}

void NodesViewModel::Frame(bool selection) {
    constexpr int kMargin = 20;
    const Rect r = Bounds(selection);
    const int width = r.right - r.left + 2 * kMargin;
    const int height = r.bottom - r.top + 2 * kMargin;
    int zoom = 100;
    while (zoom > view::ViewTransform::kMinZoom &&
           (static_cast<long long>(width) * zoom > 100LL * viewWidth ||
            static_cast<long long>(height) * zoom > 100LL * viewHeight))
        zoom = view::ViewTransform::StepOut(zoom);
    transform.SetZoom(zoom);
    const Point centre = r.Centre();
    SetScroll(centre.x - transform.ToModelLength(viewWidth) / 2,
              centre.y - transform.ToModelLength(viewHeight) / 2);
}

void NodesViewModel::ShowStore() {
    if (boxes_.empty()) return;
    const Rect store = boxes_.front().rect();
    const Rect visible = VisibleRect();
    if (store.Touches(visible)) return;  // files that open as they always did stay so
    int x = scrollX;
    int y = scrollY;
    if (store.right > visible.right) x += store.right - visible.right;
    if (store.left < x) x = store.left;
    if (store.bottom > visible.bottom) y += store.bottom - visible.bottom;
    if (store.top < y) y = store.top;
    SetScroll(x, y);
}

bool NodesViewModel::MoveBox(int x, int y) {
    if (!moving_) return false;
    for (const auto& [index, start] : moved_) {
        if (index >= static_cast<int>(boxes_.size())) {
            moving_ = false;  // a box went away with its node
            return false;
        }
        NodeBox& box = boxes_[index];
        const Rect r =
            view::BoxAt(start.x + (x - moveStartX_), start.y + (y - moveStartY_), thumbnails);
        box.left = r.left;
        box.top = r.top;
        box.right = r.right;
        box.bottom = r.bottom;
    }
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
