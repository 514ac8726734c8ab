#include "view/NodesView.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDataStream>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QRubberBand>
#include <algorithm>

#include "controls/Messages.h"
#include "engine/Diagnostics.h"
#include "engine/NodeGraph.h"
#include "view/AddNodePopup.h"

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
    band_ = new QRubberBand(QRubberBand::Rectangle, this);
    setAcceptDrops(true);
    edgeTimer_.setInterval(30);
    connect(&edgeTimer_, &QTimer::timeout, this, [this] { ScrollAtEdge(); });
    addPopup_ = new AddNodePopup(this);
    connect(addPopup_, &AddNodePopup::chosen, this, [this](int type) {
        emit addNodeRequested(type, addAt_, addFrom_);
        addFrom_ = nullptr;
    });

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
    model_.viewWidth = client.width();
    model_.viewHeight = client.height();
    backBuffer_ = client.isEmpty() ? QImage() : QImage(client, QImage::Format_RGB32);
}

void NodesView::Redraw() {
    Paint();
    // A hidden widget gets no paint event; the lists are current either way.
    bufferFresh_ = true;
    repaint();
    bufferFresh_ = false;
    emit redrawn();
}

void NodesView::Paint() {
    model_.Rebuild();
    if (backBuffer_.isNull()) return;
    QPainter p(&backBuffer_);
    p.fillRect(backBuffer_.rect(), palette().color(QPalette::Button));
    if (const int zoom = model_.transform.zoom(); zoom != 100) {
        p.scale(zoom / 100.0, zoom / 100.0);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    if (model_.graph) {
        PaintPool(p);
        size_t spot = 0;
        for (const NodeBox& box : model_.boxes()) PaintNode(p, box, spot);
        if (model_.rubberBandCount() > 0)
            StrokeCurve(p, model_.rubberBand(), model_.rubberBandCount(), false);
        for (const CableTrace& trace : model_.cableTraces())
            StrokeCurve(p, trace.samples, trace.sampleCount, trace.cable == model_.selectedCable);
    }
    p.resetTransform();
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
    const bool selected = model_.IsSelected(box.node);
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

// Tab opens the search popup instead of moving the focus on.
bool NodesView::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab) {
        OpenAddPopup();
        return true;
    }
    return QWidget::event(event);
}

void NodesView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Delete:
            return Send(model_.DeleteRequest());
        case Qt::Key_Escape:
            return Send({MSG_SELECT_NONE, 0});
        case Qt::Key_Home:
            return Frame(false);
        case Qt::Key_F:
            if (!ctrl) Frame(true);
            return;
        case Qt::Key_0:
            if (ctrl) ZoomAt(MouseInView(), 100);  // undoes wheel zooms about the same point
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void NodesView::ZoomAt(QPoint window, int percent) {
    model_.ZoomAbout({window.x(), window.y()}, percent);
    Redraw();
}

void NodesView::Frame(bool selection) {
    Redraw();  // the boxes as they are now
    model_.Frame(selection);
    Redraw();
}

QPoint NodesView::MouseInView() const {
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    if (rect().contains(cursor)) return cursor;
    return rect().contains(lastMouse_) ? lastMouse_ : rect().center();
}

void NodesView::OpenAddPopup() {
    const QPoint at = MouseInView();
    addAt_ = model_.DocumentAt({at.x(), at.y()});
    addFrom_ = model_.drawingFrom();
    addPopup_->Open(nodeTypes_, mapToGlobal(at));
}

namespace {

// The row of the first item dragged from a list widget, or -1.
int DraggedRow(const QMimeData* mime) {
    const QString format = QStringLiteral("application/x-qabstractitemmodeldatalist");
    if (!mime || !mime->hasFormat(format)) return -1;
    QByteArray data = mime->data(format);
    QDataStream stream(&data, QIODevice::ReadOnly);
    int row = -1;
    int column = -1;
    stream >> row >> column;
    return stream.status() == QDataStream::Ok ? row : -1;
}

}  // namespace

void NodesView::dragEnterEvent(QDragEnterEvent* event) {
    const int row = DraggedRow(event->mimeData());
    if (row >= 0 && row < nodeTypes_.size()) event->acceptProposedAction();
}

void NodesView::dropEvent(QDropEvent* event) {
    const int row = DraggedRow(event->mimeData());
    if (row < 0 || row >= nodeTypes_.size()) return;
    const QPoint at = event->position().toPoint();
    event->acceptProposedAction();
    emit addNodeRequested(row, model_.DocumentAt({at.x(), at.y()}), nullptr);
}

namespace {
// Mouse coordinates travel as signed 16-bit values.
view::Point WindowPoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {static_cast<int16_t>(p.x()), static_cast<int16_t>(p.y())};
}
}  // namespace

void NodesView::mousePressEvent(QMouseEvent* event) {
    const view::Point window = WindowPoint(event);
    const view::Point at = model_.transform.ToModel(window);
    switch (event->button()) {
        case Qt::LeftButton: {
            setFocus();
            Redraw();  // hit tests read what is on screen
            const bool toggle = event->modifiers().testFlag(Qt::ControlModifier);
            const ViewMessage selected = model_.Select(at.x, at.y, toggle);
            Send(selected);
            if (!toggle && model_.BeginCableDrag(at.x, at.y)) {
                Redraw();  // a drag from a pin draws a cable
                break;
            }
            // A box pressed without Ctrl is in the selection now: a drag moves it.
            if (!toggle && selected.message != MSG_SELECT_CABLE && !model_.bandSelecting() &&
                model_.BeginMove(at.x, at.y))
                cornersAtPress_ = model_.Corners();
            break;
        }
        case Qt::MiddleButton:
            setFocus();
            setCursor(Qt::PointingHandCursor);
            Redraw();
            if (model_.BeginMove(at.x, at.y)) {
                cornersAtPress_ = model_.Corners();
            } else {
                panning_ = true;
                panStart_ = QPoint(window.x, window.y);
                scrollAtPanStart_ = {model_.scrollX, model_.scrollY};
                setCursor(Qt::ClosedHandCursor);
            }
            break;
        case Qt::RightButton:
            setFocus();
            model_.RightButtonDown(at.x, at.y);
            Redraw();
            break;
        default:
            break;
    }
}

void NodesView::FinishMove() {
    if (model_.moving() && model_.Corners() != cornersAtPress_) emit boxMoved(cornersAtPress_);
    model_.EndMove();
}

void NodesView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const view::Point at = model_.transform.ToModel(WindowPoint(event));
        model_.EndCableDrag(at.x, at.y);
        FinishMove();
        edgeTimer_.stop();
        band_->hide();
        Send(model_.EndBandSelect());
        Redraw();
    } else if (event->button() == Qt::MiddleButton) {
        FinishMove();
        edgeTimer_.stop();
        panning_ = false;
        setCursor(Qt::ArrowCursor);
    }
}

void NodesView::mouseMoveEvent(QMouseEvent* event) {
    const view::Point window = WindowPoint(event);
    const view::Point at = model_.transform.ToModel(window);
    lastMouse_ = QPoint(window.x, window.y);
    if (panning_) return Pan(QPoint(window.x, window.y));
    if (model_.moving() && !rect().contains(lastMouse_)) edgeTimer_.start();
    if (model_.MoveBox(at.x, at.y)) Redraw();
    if (model_.TrackBandSelect(at.x, at.y)) {
        const Rect band = model_.BandRect();
        const view::Point from = model_.transform.ToWindow({band.left, band.top});
        const view::Point to = model_.transform.ToWindow({band.right, band.bottom});
        band_->setGeometry(ToQRect({from.x, from.y, to.x, to.y}));
        band_->show();
        Redraw();
    }
    if (model_.TrackRubberBand(at.x, at.y)) Redraw();
}

// A box held past the view's edge scrolls the view after it, faster the
// farther out the mouse is.
void NodesView::ScrollAtEdge() {
    constexpr int kMaxStep = 16;
    const QPoint at = lastMouse_;
    const int dx = at.x() < 0 ? at.x() : std::max(0, at.x() - width());
    const int dy = at.y() < 0 ? at.y() : std::max(0, at.y() - height());
    if (!model_.moving() || (dx == 0 && dy == 0)) return edgeTimer_.stop();
    model_.SetScroll(model_.scrollX + std::clamp(dx, -kMaxStep, kMaxStep),
                     model_.scrollY + std::clamp(dy, -kMaxStep, kMaxStep));
    const view::Point moved = model_.transform.ToModel({at.x(), at.y()});
    model_.MoveBox(moved.x, moved.y);
    Redraw();
}

void NodesView::Pan(QPoint window) {
    const QPoint moved = window - panStart_;
    model_.SetScroll(scrollAtPanStart_.x - model_.transform.ToModelLength(moved.x()),
                     scrollAtPanStart_.y - model_.transform.ToModelLength(moved.y()));
    Redraw();
}
