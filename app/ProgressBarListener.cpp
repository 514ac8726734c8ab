#include "app/ProgressBarListener.h"

#include <QProgressBar>
#include <cstdint>

void ProgressBarListener::Prepare(int nodeCount) {
    nodeCount_ = nodeCount;
    completed_ = 0;
    within_ = 0;
    revealed_ = false;
}

void ProgressBarListener::Reveal() {
    bar_->setRange(0, nodeCount_ * 256);
    revealed_ = true;
    Show();
}

void ProgressBarListener::NodeDone() {
    completed_ += 1;
    within_ = 0;
    Post();
}

void ProgressBarListener::NodeProgress(int done, int total) {
    if (total == 0) return;  // nothing meaningful to show
    within_ = static_cast<int>(static_cast<int64_t>(done) * 256 / total);
    Post();
}

// Posted to this object, so nothing arrives once the listener is gone.
void ProgressBarListener::Post() {
    if (!revealed_ || posted_.exchange(true)) return;
    QMetaObject::invokeMethod(
        this, [this] { Show(); }, Qt::QueuedConnection);
}

void ProgressBarListener::Show() {
    posted_ = false;
    if (!revealed_) return;  // left over from a render that was cancelled
    bar_->setValue(completed_ * 256 + within_);
}
