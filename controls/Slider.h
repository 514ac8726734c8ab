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

class Slider : public QWidget {
    Q_OBJECT

public:
    // Period of a held arrow button's repeat; the first repeat comes one period after the press.
    static constexpr int kRepeatMs = 300;

    explicit Slider(QWidget* parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return min_; }
    int maximum() const { return max_; }

    // Centre x of the thumb for the current value, range and width.
    int thumbCentre() const;

    QSize sizeHint() const override { return {150, 20}; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetFromPosition(int x);
    void ClickArrows(int x, int y);
    void StartRepeat(int step);
    void RepeatStep();
    void NotifyParent();
    void PaintSlider();

    int min_ = 0;
    int max_ = 100;
    int value_ = 50;
    bool incrementPressed_ = false;
    bool decrementPressed_ = false;
    int repeatDirection_ = 1;  // +1 increment, -1 decrement
    QTimer repeatTimer_;
    QPixmap backBuffer_;
};
