// The slider without pixels or timers: range and value, the value from a
// mouse position, the arrow buttons and their repeat. The widget hands it the
// client size with every call, so it always uses the size of that moment.
#pragma once

#include <cstdint>
#include <functional>

// Starts and stops the periodic repeat of a held arrow button; every period
// the owner calls SliderModel::Tick. Injected so the stepping can be driven
// without waiting.
class RepeatClock {
public:
    virtual ~RepeatClock() = default;
    virtual void Start(int periodMs) = 0;  // restarts a running repeat
    virtual void Stop() = 0;
};

class SliderModel {
public:
    // Period of a held arrow button's repeat; the first repeat comes one period after the press.
    static constexpr int kRepeatMs = 300;

    // `notify` is told of every mouse-driven computation and every step.
    SliderModel(RepeatClock& clock, std::function<void()> notify)
        : clock_(clock), notify_(std::move(notify)) {}

    int32_t value() const { return value_; }
    int32_t minimum() const { return min_; }
    int32_t maximum() const { return max_; }
    bool incrementPressed() const { return incrementPressed_; }
    bool decrementPressed() const { return decrementPressed_; }
    // Counts the gestures: a press with what follows until the release is one.
    int gesture() const { return gesture_; }

    // Stored as given, even outside the range.
    void SetValue(int32_t value) { value_ = value; }
    // Pulls the value into the new range.
    void SetRange(int32_t min, int32_t max);

    // Centre x of the thumb for a client width w.
    int ThumbCentre(int w) const;

    // Left button down at (x, y) in a w x h client area.
    void Press(int x, int y, int w, int h);
    // Mouse move; true when the value was computed (the picture may change).
    bool Drag(int x, int w, bool leftHeld);
    // Left button up, wherever it happens.
    void Release();
    // One period of a held button has passed.
    void Tick();

    // Beyond the arrow buttons, each step notifies as a button's does:
    // `steps` at once from the keyboard (within the range), one per wheel
    // notch of 120 eighths of a degree, partial notches adding up.
    void StepBy(int steps);
    void Wheel(int angleDelta);

private:
    void SetFromPosition(int x, int w);
    void ClickArrows(int x, int y, int w, int h);
    void Step(int step);

    RepeatClock& clock_;
    std::function<void()> notify_;
    int32_t min_ = 0;
    int32_t max_ = 100;
    int32_t value_ = 50;
    bool incrementPressed_ = false;
    bool decrementPressed_ = false;
    int repeatDirection_ = 1;  // +1 increment, -1 decrement
    int gesture_ = 0;
    int wheelRest_ = 0;  // eighths of a degree not yet a whole notch
};

// Top of the 7-pixel track for a client height h.
inline int SliderTrackTop(int h) {
    return (h - 7) / 2;
}
