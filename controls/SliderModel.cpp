#include "controls/SliderModel.h"

#include "platform/Numeric.h"

namespace {

// Values stay 32-bit; steps are taken in 64 bits so the extremes cannot wrap.
int32_t StepWithin(int32_t value, int step, int32_t min, int32_t max) {
    const int64_t next = int64_t{value} + step;
    if (step > 0) return static_cast<int32_t>(next > max ? max : next);
    return static_cast<int32_t>(next < min ? min : next);
}

}  // namespace

void SliderModel::SetRange(int32_t min, int32_t max) {
    min_ = min;
    max_ = max;
    if (value_ < min_) {
        value_ = min_;
    } else if (value_ > max_) {
        value_ = max_;
    }
}

int SliderModel::ThumbCentre(int w) const {
    if (max_ == min_) return 7;
    const long double t = (static_cast<long double>(value_) - min_) /
                              (static_cast<long double>(max_) - min_) * (w - 40) +
                          7;
    return platform::TruncToInt(t);
}

void SliderModel::Press(int x, int y, int w, int h) {
    ++gesture_;
    if (x < w - 26) {
        SetFromPosition(x, w);
    } else {
        ClickArrows(x, y, w, h);
    }
}

bool SliderModel::Drag(int x, int w, bool leftHeld) {
    if (!leftHeld || x >= w - 26) return false;
    SetFromPosition(x, w);
    return true;
}

void SliderModel::Release() {
    clock_.Stop();
    incrementPressed_ = false;
    decrementPressed_ = false;
}

void SliderModel::Tick() {
    value_ = StepWithin(value_, repeatDirection_, min_, max_);
    notify_();
}

void SliderModel::SetFromPosition(int x, int w) {
    // Quotient, product and sum at extended precision, then truncated.
    const long double fraction = static_cast<long double>(x - 7) / (w - 40);
    const long double position =
        fraction * (static_cast<long double>(max_) - min_) + static_cast<long double>(min_);
    value_ = platform::TruncToInt(position);
    if (value_ < min_) {
        value_ = min_;
    } else if (value_ > max_) {
        value_ = max_;
    }
    notify_();
}

void SliderModel::ClickArrows(int x, int y, int w, int h) {
    const int top = SliderTrackTop(h) - 2;
    if (y < top || y >= top + 11) return;
    if (x >= w - 24 && x < w - 13) {
        Step(-1);
    } else if (x >= w - 11 && x < w) {
        Step(+1);
    }
}

void SliderModel::Step(int step) {
    incrementPressed_ = step > 0;
    decrementPressed_ = step < 0;
    repeatDirection_ = step;
    value_ = StepWithin(value_, step, min_, max_);
    notify_();
    clock_.Start(kRepeatMs);
}

void SliderModel::StepBy(int steps) {
    ++gesture_;
    value_ = StepWithin(value_, steps, min_, max_);
    notify_();
}

void SliderModel::Wheel(int angleDelta) {
    constexpr int kNotch = 120;
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / kNotch;
    wheelRest_ %= kNotch;
    if (notches) StepBy(notches);
}
