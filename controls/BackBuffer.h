// The back buffer a control paints into before copying it to the screen.
#pragma once

#include <QPixmap>
#include <QWidget>

// A buffer of the widget's size at the screen's pixel density, so text stays
// sharp on dense screens.
inline QPixmap BackBuffer(const QWidget* widget) {
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap buffer(widget->size() * ratio);
    buffer.setDevicePixelRatio(ratio);
    return buffer;
}
