// The node editor view: node boxes with their pins, cables as sagging curves,
// the spawning pool where new boxes appear, and a rubber band while a cable is
// being drawn. Left button selects or drags a cable from a pin, middle button
// moves a box or pans, right button draws cables, Delete asks for deletion,
// Tab searches for a node type to add. Selection and deletion are carried
// out by the parent, which receives the messages of controls/Messages.h.
// The view can be zoomed; its model works in unzoomed coordinates.
#pragma once

#include <QHash>
#include <QImage>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "view/ViewModel.h"

class AddNodePopup;
class QPainter;
class QRubberBand;

class NodesView : public QWidget {
    Q_OBJECT

public:
    explicit NodesView(QWidget* parent = nullptr);

    // What is drawn and hit: the main window sets its graph, selection,
    // scroll position and cable resolution.
    NodesViewModel& model() { return model_; }
    const NodesViewModel& model() const { return model_; }

    // Re-reads the client size, takes the focus and rebuilds the back buffer;
    // called at start-up and after every resize.
    void Attach();
    // Repaints at once: when it returns the boxes, pin spots and cable traces
    // describe the graph as it is now.
    void Redraw();

    // The small copies boxes show while the model's thumbnails are on; a node
    // without one shows an empty frame.
    QHash<const Node*, QImage>& thumbnails() { return thumbnails_; }

    // The picture of the last paint (client size; null before Attach).
    const QImage& backBuffer() const { return backBuffer_; }

    // The node type names the search popup and drops offer, in list order.
    void SetNodeTypes(const QStringList& types) { nodeTypes_ = types; }
    // Opens the search popup for a node at the mouse (the view's centre when
    // the mouse is elsewhere), tied to the cable being drawn if there is one.
    void OpenAddPopup();
    AddNodePopup* addPopup() const { return addPopup_; }

    // Zooms to `percent` about a window point; frames the boxes.
    void ZoomAt(QPoint window, int percent);
    void Frame(bool selection);

signals:
    // A box was dragged, for the undo history.
    void boxMoved(const std::vector<view::Point>& cornersBefore);
    // Redrawn after a change of scroll position, zoom or box places.
    void redrawn();
    // A node of type `type` (a row of the types) is wanted with its box
    // centred on `at` (document coordinates), cabled to `pin` if not null.
    void addNodeRequested(int type, view::Point at, Pin* pin);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Paint();
    void PaintPool(QPainter& p);
    void PaintNode(QPainter& p, const NodeBox& box, size_t& spot);
    void PaintThumbnail(QPainter& p, const Node* node, const view::Rect& window,
                        const QImage& picture);
    void PaintPin(QPainter& p, const PinSpot& spot, const view::Rect& inner);
    void StrokeCurve(QPainter& p, const view::CurveSamples& samples, int count, bool selected);
    void PaintFocus(QPainter& p);
    void Send(const ViewMessage& message);
    void FinishMove();
    void ScrollAtEdge();
    // The mouse if it is over the view, else the view's centre.
    QPoint MouseInView() const;
    void Pan(QPoint window);

    NodesViewModel model_;
    QImage backBuffer_;
    bool bufferFresh_ = false;  // Redraw painted the buffer; the paint event only shows it
    QImage boxPicture_;
    QImage selectedBoxPicture_;
    QImage pinPicture_;                        // pure blue already made transparent
    std::vector<view::Point> cornersAtPress_;  // of the drag in progress
    QRubberBand* band_ = nullptr;              // the selection rectangle
    QStringList nodeTypes_;
    AddNodePopup* addPopup_ = nullptr;
    view::Point addAt_{};       // where the popup's node goes
    Pin* addFrom_ = nullptr;    // the pin the popup's node is cabled to
    QTimer edgeTimer_;          // keeps a box held past the edge scrolling
    QPoint lastMouse_{-1, -1};  // where the mouse last moved over the view
    bool panning_ = false;
    QPoint panStart_;
    view::Point scrollAtPanStart_{};
    QHash<const Node*, QImage> thumbnails_;
};
