#include "app/ProgressBarListener.h"

#include <QProgressBar>
#include <cstdint>

void ProgressBarListener::Prepare(int nodeCount) {
    bar_->setRange(0, nodeCount * 256);
    bar_->setValue(0);
    completed_ = 0;
    within_ = 0;
}

void ProgressBarListener::NodeDone() {
    completed_ += 1;
    within_ = 0;
    Show();
}

void ProgressBarListener::NodeProgress(int done, int total) {
    if (total == 0) return;  // nothing meaningful to show
    within_ = static_cast<int>(static_cast<int64_t>(done) * 256 / total);
    Show();
}

// The render blocks the event loop: paint the bar now.
void ProgressBarListener::Show() {
    bar_->setValue(completed_ * 256 + within_);
    bar_->repaint();
}
