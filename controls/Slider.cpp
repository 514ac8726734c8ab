#include "controls/Slider.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <array>
#include <cstdint>

#include "controls/BackBuffer.h"
#include "controls/Messages.h"
#include "engine/Diagnostics.h"
#include "platform/Numeric.h"

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

// Top of the 7-pixel track for a client height h.
int TrackTop(int h) {
    return (h - 7) / 2;
}

// Values stay 32-bit; steps are taken in 64 bits so the extremes cannot wrap.
int32_t StepWithin(int32_t value, int step, int32_t min, int32_t max) {
    const int64_t next = int64_t{value} + step;
    if (step > 0) return static_cast<int32_t>(next > max ? max : next);
    return static_cast<int32_t>(next < min ? min : next);
}

}  // namespace

Slider::Slider(QWidget* parent) : QWidget(parent) {
    InitControlResources();
    Pictures();
    // Every pixel comes from the back buffer.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    repeatTimer_.setTimerType(Qt::PreciseTimer);
    repeatTimer_.setInterval(kRepeatMs);
    connect(&repeatTimer_, &QTimer::timeout, this, &Slider::RepeatStep);
}

int Slider::thumbCentre() const {
    if (max_ == min_) return 7;
    const long double t = (static_cast<long double>(value_) - min_) /
                              (static_cast<long double>(max_) - min_) * (width() - 40) +
                          7;
    return platform::TruncToInt(t);
}

bool Slider::event(QEvent* event) {
    const auto* message = dynamic_cast<const MessageEvent*>(event);
    if (!message) return QWidget::event(event);
    switch (message->message()) {
        case MSG_SLIDER_SET_VALUE:
            // Stored as given, even outside the range.
            value_ = static_cast<int32_t>(message->wParam);
            break;
        case MSG_SLIDER_SET_RANGE:
            min_ = static_cast<int32_t>(message->wParam);
            max_ = static_cast<int32_t>(message->lParam);
            if (value_ < min_) {
                value_ = min_;
            } else if (value_ > max_) {
                value_ = max_;
            }
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
    const int x = static_cast<int16_t>(pos.x());
    const int y = static_cast<int16_t>(pos.y());
    if (x < width() - 26) {
        SetFromPosition(x);
    } else {
        ClickArrows(x, y);
    }
    repaint();
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int16_t>(event->position().toPoint().x());
    if (!(event->buttons() & Qt::LeftButton) || x >= width() - 26) return;
    SetFromPosition(x);
    repaint();
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    repeatTimer_.stop();
    incrementPressed_ = false;
    decrementPressed_ = false;
    repaint();
}

void Slider::SetFromPosition(int x) {
    // Quotient, product and sum at extended precision, then truncated.
    const long double fraction = static_cast<long double>(x - 7) / (width() - 40);
    const long double position =
        fraction * (static_cast<long double>(max_) - min_) + static_cast<long double>(min_);
    value_ = platform::TruncToInt(position);
    if (value_ < min_) {
        value_ = min_;
    } else if (value_ > max_) {
        value_ = max_;
    }
    NotifyParent();
}

void Slider::ClickArrows(int x, int y) {
    const int w = width();
    const int top = TrackTop(height()) - 2;
    if (y < top || y >= top + 11) return;
    if (x >= w - 24 && x < w - 13) {
        incrementPressed_ = false;
        decrementPressed_ = true;
        value_ = StepWithin(value_, -1, min_, max_);
        NotifyParent();
        StartRepeat(-1);
    } else if (x >= w - 11 && x < w) {
        decrementPressed_ = false;
        incrementPressed_ = true;
        value_ = StepWithin(value_, +1, min_, max_);
        NotifyParent();
        StartRepeat(+1);
    }
}

void Slider::StartRepeat(int step) {
    repeatDirection_ = step;
    repeatTimer_.start();  // restarts a running repeat
}

void Slider::RepeatStep() {
    value_ = StepWithin(value_, repeatDirection_, min_, max_);
    NotifyParent();
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
    const int cy = TrackTop(height());
    QPainter painter(&backBuffer_);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.drawImage(0, cy, pictures[kTrackLeft]);
    painter.drawImage(w - 28, cy, pictures[kTrackRight]);
    painter.drawImage(QRect(2, cy, w - 30, 7), pictures[kTrackMiddle]);
    painter.drawImage(w - 24, cy - 2, pictures[decrementPressed_ ? kDecrementPressed : kDecrement]);
    painter.drawImage(w - 11, cy - 2, pictures[incrementPressed_ ? kIncrementPressed : kIncrement]);
    painter.drawImage(thumbCentre() - 7, cy - 5, pictures[kThumb]);
}
