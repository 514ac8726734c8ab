// The node editor view: node boxes with their pins, cables as sagging curves,
// the spawning pool where new boxes appear, and a rubber band while a cable is
// being drawn. Left button selects, middle button moves a box, right button
// draws cables, Delete asks for deletion. Selection and deletion are carried
// out by the parent, which receives the messages of controls/Messages.h.
#pragma once

#include <QHash>
#include <QImage>
#include <QWidget>
#include <vector>

#include "view/ViewModel.h"

class QPainter;

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

signals:
    // A box was dragged, for the undo history.
    void boxMoved(const std::vector<view::Point>& cornersBefore);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
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

    NodesViewModel model_;
    QImage backBuffer_;
    bool bufferFresh_ = false;  // Redraw painted the buffer; the paint event only shows it
    QImage boxPicture_;
    QImage selectedBoxPicture_;
    QImage pinPicture_;                        // pure blue already made transparent
    std::vector<view::Point> cornersAtPress_;  // of the drag in progress
    QHash<const Node*, QImage> thumbnails_;
};
