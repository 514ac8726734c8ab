// Moves the main window's progress bar as nodes finish during a render.
#pragma once

#include "engine/RenderListener.h"

class QProgressBar;

class ProgressBarListener : public RenderListener {
public:
    explicit ProgressBarListener(QProgressBar* bar) : bar_(bar) {}

    // Range 0 .. nodeCount x 256, position 0. Qt's bar takes the whole
    // count, so large graphs do not wrap the range.
    void Prepare(int nodeCount);

    void NodeDone() override;
    void NodeProgress(int done, int total) override;

private:
    void Show();

    int within_ = 0;     // progress inside the running node, in 1/256 steps
    int completed_ = 0;  // nodes finished in this render
    QProgressBar* bar_;
};
