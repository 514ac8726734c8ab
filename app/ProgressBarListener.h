// Moves the main window's progress bar as nodes finish during a render. The
// render runs on its own thread; the bar is moved on the bar's thread.
#pragma once

#include <QObject>
#include <atomic>

#include "engine/RenderListener.h"

class QProgressBar;

class ProgressBarListener : public QObject, public RenderListener {
public:
    explicit ProgressBarListener(QProgressBar* bar) : bar_(bar) {}

    // Before a render of nodeCount nodes: nothing done yet. The bar is left
    // as it is until Reveal, so that short renders do not flicker.
    void Prepare(int nodeCount);
    // Range 0 .. nodeCount x 256 and the position so far; from now on the bar
    // follows the render. Qt's bar takes the whole count, so large graphs do
    // not wrap the range.
    void Reveal();

    // Called on the render's thread.
    void NodeDone() override;
    void NodeProgress(int done, int total) override;

private:
    // Asks the bar's thread to show the position, once until it has done so.
    void Post();
    void Show();

    std::atomic<int> within_{0};     // progress inside the running node, in 1/256 steps
    std::atomic<int> completed_{0};  // nodes finished in this render
    std::atomic<bool> revealed_{false};
    std::atomic<bool> posted_{false};
    int nodeCount_ = 0;
    QProgressBar* bar_;
};
