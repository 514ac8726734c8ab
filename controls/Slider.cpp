#include "controls/Slider.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <array>
#include <cstdint>

#include "controls/BackBuffer.h"
#include "controls/Messages.h"
#include "engine/Diagnostics.h"

// Resources live in the static GUI library; outside any namespace by Qt's rule.
static void InitControlResources() {
    Q_INIT_RESOURCE(controls);
}

namespace {

enum Picture {
    kTrackLeft,         // 2 x 7
    kTrackRight,        // 2 x 7
    kTrackMiddle,       // 1 x 7, stretched to the track's length
    kThumb,             // 14 x 16
    kIncrement,         // 11 x 11, arrow pointing right
    kDecrement,         // 11 x 11, arrow pointing left
    kIncrementPressed,  // 11 x 11
    kDecrementPressed,  // 11 x 11
    kPictureCount
};

// The pictures are shared by every slider and loaded with the first one.
const std::array<QImage, kPictureCount>& Pictures() {
    static const std::array<QImage, kPictureCount> pictures = [] {
        static const char* const kFiles[kPictureCount] = {
            ":/controls/track_left.png",        ":/controls/track_right.png",
            ":/controls/track_middle.png",      ":/controls/thumb.png",
            ":/controls/increment.png",         ":/controls/decrement.png",
            ":/controls/increment_pressed.png", ":/controls/decrement_pressed.png"};
        std::array<QImage, kPictureCount> loaded;
        bool any = false;
        for (int i = 0; i < kPictureCount; ++i) any |= loaded[i].load(kFiles[i]);
        if (!any) DebugLog("Error loading slider bitmaps...");
        return loaded;
    }();
    return pictures;
}

}  // namespace

Slider::Slider(QWidget* parent) : QWidget(parent), model_(*this, [this] { NotifyParent(); }) {
    InitControlResources();
    Pictures();
    // Every pixel comes from the back buffer.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);  // for the arrow and page keys
    repeatTimer_.setTimerType(Qt::PreciseTimer);
    connect(&repeatTimer_, &QTimer::timeout, this, [this] {
        model_.Tick();
        repaint();
    });
}

bool Slider::event(QEvent* event) {
    const auto* message = dynamic_cast<const MessageEvent*>(event);
    if (!message) return QWidget::event(event);
    switch (message->message()) {
        case MSG_SLIDER_SET_VALUE:
            model_.SetValue(static_cast<int32_t>(message->wParam));
            break;
        case MSG_SLIDER_SET_RANGE:
            model_.SetRange(static_cast<int32_t>(message->wParam),
                            static_cast<int32_t>(message->lParam));
            break;
        default:
            return QWidget::event(event);
    }
    repaint();
    return true;
}

void Slider::resizeEvent(QResizeEvent*) {
    backBuffer_ = BackBuffer(this);
}

void Slider::paintEvent(QPaintEvent*) {
    if (backBuffer_.isNull()) return;
    PaintSlider();
    QPainter(this).drawPixmap(0, 0, backBuffer_);
}

void Slider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // Qt grabs the mouse from this press to the release, so the release that
    // ends a repeat reaches us wherever it happens.
    const QPoint pos = event->position().toPoint();
    model_.Press(static_cast<int16_t>(pos.x()), static_cast<int16_t>(pos.y()), width(), height());
    repaint();
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int16_t>(event->position().toPoint().x());
    if (model_.Drag(x, width(), event->buttons() & Qt::LeftButton)) repaint();
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    model_.Release();
    repaint();
}

void Slider::keyPressEvent(QKeyEvent* event) {
    constexpr int kPage = 10;
    switch (event->key()) {
        case Qt::Key_Left:
            model_.StepBy(-1);
            break;
        case Qt::Key_Right:
            model_.StepBy(1);
            break;
        case Qt::Key_PageDown:
            model_.StepBy(-kPage);
            break;
        case Qt::Key_PageUp:
            model_.StepBy(kPage);
            break;
        default:
            return QWidget::keyPressEvent(event);
    }
    repaint();
}

void Slider::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    model_.Wheel(delta.y() ? delta.y() : delta.x());
    repaint();
}

void Slider::NotifyParent() {
    // Queued, so the parent reads the value current when it handles it.
    if (QWidget* parent = parentWidget())
        QCoreApplication::postEvent(parent, new MessageEvent(MSG_SLIDER_CHANGED, 0, 0, this));
}

void Slider::PaintSlider() {
    const auto& pictures = Pictures();
    const int w = width();
    const int cy = SliderTrackTop(height());
    QPainter painter(&backBuffer_);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.drawImage(0, cy, pictures[kTrackLeft]);
    painter.drawImage(w - 28, cy, pictures[kTrackRight]);
    painter.drawImage(QRect(2, cy, w - 30, 7), pictures[kTrackMiddle]);
    painter.drawImage(w - 24, cy - 2,
                      pictures[model_.decrementPressed() ? kDecrementPressed : kDecrement]);
    painter.drawImage(w - 11, cy - 2,
                      pictures[model_.incrementPressed() ? kIncrementPressed : kIncrement]);
    painter.drawImage(thumbCentre() - 7, cy - 5, pictures[kThumb]);
}
