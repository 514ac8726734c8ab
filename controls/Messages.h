// Private message numbers between the editor's widgets and the main window,
// delivered as Qt events whose types are these numbers.
#pragma once

#include <QEvent>
#include <QPointer>
#include <QWidget>

// Editor view -> main window, sent synchronously (QCoreApplication::sendEvent).
constexpr int MSG_SELECT_NODE = 0x8001;   // wParam: node index
constexpr int MSG_DELETE_NODE = 0x8002;
constexpr int MSG_DELETE_CABLE = 0x8003;
constexpr int MSG_SELECT_CABLE = 0x8004;  // wParam: cable index
constexpr int MSG_SELECT_NONE = 0x8005;

// Slider -> parent, posted (QCoreApplication::postEvent); carries the slider.
constexpr int MSG_SLIDER_CHANGED = 0x800A;
// Main window -> slider.
constexpr int MSG_SLIDER_SET_VALUE = 0x800B;  // wParam: value (not clamped)
constexpr int MSG_SLIDER_SET_RANGE = 0x800C;  // wParam: minimum, lParam: maximum

// A private message with its two arguments. `sender` is the widget that sent
// or posted it (the slider for MSG_SLIDER_CHANGED); a QPointer, because a
// posted message may arrive after its slider was destroyed.
class MessageEvent : public QEvent {
public:
    MessageEvent(int message, long long wParam = 0, long long lParam = 0,
                 QWidget* sender = nullptr)
        : QEvent(static_cast<QEvent::Type>(message)), wParam(wParam), lParam(lParam),
          sender(sender) {}

    int message() const { return static_cast<int>(type()); }

    const long long wParam;
    const long long lParam;
    const QPointer<QWidget> sender;
};
