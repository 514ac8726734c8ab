// A progress line on a terminal's stderr for renders that take a while.
#pragma once

#include <chrono>
#include <string>

#include "engine/RenderListener.h"

class NodeGraph;

// Installed as the render listener for one render. Shows nothing for the
// first second, so quick renders stay silent, and clears its line at the end.
class RenderProgress : public RenderListener {
public:
    RenderProgress(const std::string& label, NodeGraph& graph);
    ~RenderProgress() override;
    void NodeDone() override;
    void NodeProgress(int, int) override {}

private:
    std::string label_;
    int total_;
    int done_ = 0;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
