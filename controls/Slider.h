// The FENNSLIDER control: a horizontal track with a thumb and two arrow
// buttons, drawn from eight small pictures through a back buffer.
//
// The parent sends it MSG_SLIDER_SET_VALUE and MSG_SLIDER_SET_RANGE as
// MessageEvents (QCoreApplication::sendEvent); the slider posts
// MSG_SLIDER_CHANGED, carrying itself as `sender`, to its parent on every
// mouse-driven computation and every button or repeat step. The parent reads
// value() when it handles the message, so it sees the value current then.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "controls/SliderModel.h"

// The widget maps paint and mouse events to SliderModel; a real QTimer is its
// repeat clock.
class Slider : public QWidget, private RepeatClock {
    Q_OBJECT

public:
    explicit Slider(QWidget* parent = nullptr);

    int value() const { return model_.value(); }
    int minimum() const { return model_.minimum(); }
    int maximum() const { return model_.maximum(); }
    int gesture() const { return model_.gesture(); }

    // Centre x of the thumb for the current value, range and width.
    int thumbCentre() const { return model_.ThumbCentre(width()); }

    QSize sizeHint() const override { return {150, 20}; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Start(int periodMs) override { repeatTimer_.start(periodMs); }
    void Stop() override { repeatTimer_.stop(); }
    void NotifyParent();
    void PaintSlider();

    SliderModel model_;
    QTimer repeatTimer_;
    QPixmap backBuffer_;
};
