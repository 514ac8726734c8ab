// Shared helpers for the test suites.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Image.h"
#include "engine/RenderCancel.h"
#include "engine/RenderListener.h"
#include "engine/TextureFile.h"
#include "platform/DebugSink.h"

class NodeGraph;

// Collects debug log lines while alive; restores the default sink after.
class LogCapture {
public:
    LogCapture() {
        platform::SetLogSink([this](const std::string& line) { lines_.push_back(line); });
    }
    ~LogCapture() { platform::SetLogSink(nullptr); }
    const std::vector<std::string>& lines() const { return lines_; }
    // Lines that start with the given text.
    std::vector<std::string> Matching(const std::string& prefix) const;

private:
    std::vector<std::string> lines_;
};

// Counts NodeDone calls while installed.
class CountingListener : public RenderListener {
public:
    CountingListener() { SetRenderListener(this); }
    ~CountingListener() override { SetRenderListener(nullptr); }
    void NodeDone() override { ++done; }
    void NodeProgress(int, int) override {}
    int done = 0;
};

// Requests the cancel from the `at`-th checkpoint on, counting every question.
class CancelAt : public RenderCancel {
public:
    explicit CancelAt(long at) : at_(at) {}
    bool Requested() override { return asked_.fetch_add(1) >= at_; }
    long asked() const { return asked_.load(); }

private:
    const long at_;
    std::atomic<long> asked_{0};
};

std::vector<uint8_t> Bytes(const Image& image);
// The graph section as a save writes it, and the layout section when one is given.
std::vector<uint8_t> GraphBytes(const NodeGraph& graph,
                                const std::vector<BoxPos>* layout = nullptr);
// Loads a file's bytes, the graph and then the layout section; "" or the error.
std::string LoadBytes(NodeGraph& graph, const std::vector<uint8_t>& bytes,
                      std::vector<BoxPos>* layout = nullptr);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A fresh empty directory for one test's files.
std::string TempDir();

// The texture of a width x height graph in which a node of the given type, its
// first parameters set, feeds the Store. Its inputs read a grey sine plasma,
// raw noise and Perlin noise in pin order; in place, raw noise on every pin
// for a first render, then its own output for a second.
std::vector<uint8_t> RenderFed(uint8_t type, const std::vector<int16_t>& params, int width,
                               int height, bool inPlace);
