// The private messages of controls/MessageIds.h delivered as Qt events whose
// types are their numbers.
#pragma once

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include "controls/MessageIds.h"

// A private message with its two arguments. `sender` is the widget that sent
// or posted it (the slider for MSG_SLIDER_CHANGED); a QPointer, because a
// posted message may arrive after its slider was destroyed.
class MessageEvent : public QEvent {
public:
    MessageEvent(int message, long long wParam = 0, long long lParam = 0, QWidget* sender = nullptr)
        : QEvent(static_cast<QEvent::Type>(message)),
          wParam(wParam),
          lParam(lParam),
          sender(sender) {}

    int message() const { return static_cast<int>(type()); }

    const long long wParam;
    const long long lParam;
    const QPointer<QWidget> sender;
};
