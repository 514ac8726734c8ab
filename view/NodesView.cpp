#include "view/NodesView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include "controls/Messages.h"
#include "engine/Diagnostics.h"
#include "engine/NodeGraph.h"

using view::Rect;

namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Outline of a rectangle whose right and bottom are exclusive, as the
// platform's rounded rectangles are.
QRectF OutlineRect(const Rect& r) {
    return QRectF(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
}

QPen SolidPen(const QColor& colour, int width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QFont ArialFont(int weight) {
    QFont font("Arial");
    font.setPixelSize(13);
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

// Pens, fonts and colours, made once and kept for the whole run.
struct DrawingTools {
    QPen cableOuter = SolidPen(QColor(40, 0, 0), 6);
    QPen selectedCableOuter = SolidPen(QColor(0, 0, 0), 8);
    QPen cableCore = SolidPen(QColor(187, 40, 40), 4);
    QPen cableHighlight = SolidPen(QColor(255, 235, 235), 1);
    QPen selectionOutline = SolidPen(QColor(0, 0, 0), 4);
    QFont boxNameFont = ArialFont(600);
    QFont pinNameFont = ArialFont(400);
    QFont poolFont = ArialFont(400);
    QColor boxNameColour{70, 70, 70};
    QColor pinNameColour{32, 37, 42};
};

const DrawingTools& Tools() {
    static const DrawingTools tools;
    return tools;
}

// The pin picture with its pure blue background made transparent.
QImage KeyedOutBlue(const QImage& picture) {
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0x0000FF) line[x] = 0;
    }
    return keyed;
}

}  // namespace

NodesView::NodesView(QWidget* parent) : QWidget(parent) {
    Q_INIT_RESOURCE(view);  // resources of a static library register by hand
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);  // the rubber band follows the mouse without a button held
    setCursor(Qt::ArrowCursor);

    boxPicture_ = QImage(":/view/box.png").convertToFormat(QImage::Format_RGB32);
    selectedBoxPicture_ = QImage(":/view/box_selected.png").convertToFormat(QImage::Format_RGB32);
    pinPicture_ = KeyedOutBlue(QImage(":/view/pin.png"));
    if (boxPicture_.isNull() || selectedBoxPicture_.isNull() || pinPicture_.isNull()) {
        DebugLog("Error loading nodes bitmap...");
        boxPicture_ = selectedBoxPicture_ = pinPicture_ = QImage();
    }
}

void NodesView::Attach() {
    setFocus();
    const QSize client = size();
    backBuffer_ = client.isEmpty() ? QImage() : QImage(client, QImage::Format_RGB32);
}

void NodesView::Redraw() {
    Paint();
    // A hidden widget gets no paint event; the lists are current either way.
    bufferFresh_ = true;
    repaint();
    bufferFresh_ = false;
}

void NodesView::Paint() {
    model_.Rebuild();
    if (backBuffer_.isNull()) return;
    QPainter p(&backBuffer_);
    p.fillRect(backBuffer_.rect(), palette().color(QPalette::Button));
    if (model_.graph) {
        PaintPool(p);
        size_t spot = 0;
        for (const NodeBox& box : model_.boxes()) PaintNode(p, box, spot);
        if (model_.rubberBandCount() > 0)
            StrokeCurve(p, model_.rubberBand(), model_.rubberBandCount(), false);
        for (const CableTrace& trace : model_.cableTraces())
            StrokeCurve(p, trace.samples, trace.sampleCount, trace.cable == model_.selectedCable);
    }
    if (hasFocus()) PaintFocus(p);
}

void NodesView::PaintPool(QPainter& p) {
    const QColor shadow = palette().color(QPalette::Dark);
    p.setPen(SolidPen(shadow, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(OutlineRect(view::kPoolFrame.Moved(-model_.scrollX, -model_.scrollY)),
                      view::kPoolCorner / 2, view::kPoolCorner / 2);
    p.setPen(shadow);
    p.setFont(Tools().poolFont);
    p.drawText(ToQRect(view::kPoolLabelRect.Moved(-model_.scrollX, -model_.scrollY)),
               Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("s p a w n i n g pool"));
}

void NodesView::PaintNode(QPainter& p, const NodeBox& box, size_t& spot) {
    const Rect window = box.rect().Moved(-model_.scrollX, -model_.scrollY);
    const bool selected = box.node == model_.selectedNode;
    if (selected) {
        p.setPen(Tools().selectionOutline);
        p.setBrush(Qt::NoBrush);
        const Rect outline{window.left - 2, window.top - 2, window.right + 2, window.bottom + 2};
        p.drawRoundedRect(OutlineRect(outline), 2, 2);
    }
    const QImage& picture = selected ? selectedBoxPicture_ : boxPicture_;
    if (!picture.isNull())
        p.drawImage(QPoint(window.left, window.top), picture,
                    QRect(0, 0, view::kBoxSize, view::kBoxSize));
    if (model_.thumbnails) PaintThumbnail(p, box.node, window, picture);

    const Rect inner = view::BoxHead(window).Shrunk(view::kTextInset);
    p.setPen(Tools().boxNameColour);
    p.setFont(Tools().boxNameFont);
    p.drawText(ToQRect(inner), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               QString::fromLatin1(box.node->name));

    // Spots come in drawing order, each node's together.
    const auto& spots = model_.pinSpots();
    for (; spot < spots.size() && spots[spot].node == box.node; ++spot)
        PaintPin(p, spots[spot], inner);
}

// The room below the head takes the colour of the picture's bottom edge.
void NodesView::PaintThumbnail(QPainter& p, const Node* node, const Rect& window,
                               const QImage& picture) {
    const Rect room{window.left, window.top + view::kBoxSize, window.right, window.bottom};
    const QColor fill = picture.isNull()
                            ? QColor(Qt::lightGray)
                            : picture.pixelColor(view::kBoxSize / 2, view::kBoxSize - 3);
    p.fillRect(ToQRect(room), fill);
    const QRect place = ToQRect(view::ThumbnailRect(window));
    const auto found = thumbnails_.constFind(node);
    if (found != thumbnails_.constEnd()) p.drawImage(place, *found);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(place.adjusted(-1, -1, 0, 0));
}

void NodesView::PaintPin(QPainter& p, const PinSpot& spot, const Rect& inner) {
    const Rect pin = spot.rect();
    if (!pinPicture_.isNull()) p.drawImage(ToQRect(pin), pinPicture_);
    if (spot.index < 0) return;
    p.setPen(Tools().pinNameColour);
    p.setFont(Tools().pinNameFont);
    p.drawText(ToQRect(view::PinNameRect(pin, inner)),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QString::fromLatin1(spot.pin->name));
}

void NodesView::StrokeCurve(QPainter& p, const view::CurveSamples& samples, int count,
                            bool selected) {
    const int drawn = view::DrawnSampleCount(count, model_.cableResolution);
    if (drawn < 2) return;
    QPolygon line(drawn);
    for (int i = 0; i < drawn; ++i) line.setPoint(i, samples[i].x, samples[i].y);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const DrawingTools& tools = Tools();
    for (const QPen* pen : {selected ? &tools.selectedCableOuter : &tools.cableOuter,
                            &tools.cableCore, &tools.cableHighlight}) {
        p.setPen(*pen);
        p.drawPolyline(line);
    }
    p.restore();
}

void NodesView::PaintFocus(QPainter& p) {
    QPen pen(palette().color(QPalette::Dark), 1);
    pen.setDashPattern({18, 6});
    p.setPen(pen);
    const QRect c = backBuffer_.rect();
    const QPoint corners[] = {{c.left(), c.top()},
                              {c.right(), c.top()},
                              {c.right(), c.bottom()},
                              {c.left(), c.bottom()},
                              {c.left(), c.top()}};
    p.drawPolyline(corners, 5);
}

void NodesView::paintEvent(QPaintEvent*) {
    if (!bufferFresh_) Paint();
    QPainter window(this);
    if (backBuffer_.isNull())
        window.fillRect(rect(), palette().color(QPalette::Button));
    else
        window.drawImage(0, 0, backBuffer_);
}

void NodesView::Send(const ViewMessage& message) {
    if (message.message == 0 || !parentWidget()) return;
    MessageEvent event(message.message, message.argument, 0, this);
    QCoreApplication::sendEvent(parentWidget(), &event);
}

void NodesView::focusOutEvent(QFocusEvent*) {
    Redraw();
}

void NodesView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) Send(model_.DeleteRequest());
}

namespace {
// Mouse coordinates travel as signed 16-bit values.
QPoint MousePoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return QPoint(static_cast<int16_t>(p.x()), static_cast<int16_t>(p.y()));
}
}  // namespace

void NodesView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = MousePoint(event);
    switch (event->button()) {
        case Qt::LeftButton:
            setFocus();
            Redraw();  // hit tests read what is on screen
            Send(model_.Select(at.x(), at.y()));
            break;
        case Qt::MiddleButton:
            setFocus();
            setCursor(Qt::PointingHandCursor);
            Redraw();
            if (model_.BeginMove(at.x(), at.y())) cornersAtPress_ = model_.Corners();
            break;
        case Qt::RightButton:
            setFocus();
            model_.RightButtonDown(at.x(), at.y());
            Redraw();
            break;
        default:
            break;
    }
}

void NodesView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Redraw();
    } else if (event->button() == Qt::MiddleButton) {
        if (model_.moving() && model_.Corners() != cornersAtPress_) emit boxMoved(cornersAtPress_);
        model_.EndMove();
        setCursor(Qt::ArrowCursor);
    }
}

void NodesView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = MousePoint(event);
    if (model_.MoveBox(at.x(), at.y())) Redraw();
    if (model_.TrackRubberBand(at.x(), at.y())) Redraw();
}
