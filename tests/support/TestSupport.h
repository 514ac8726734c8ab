// Shared helpers for the test suites.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Image.h"
#include "engine/RenderListener.h"

// Collects debug log lines while alive; restores the default sink after.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    const std::vector<std::string>& lines() const { return lines_; }
    // Lines that start with the given text.
    std::vector<std::string> Matching(const std::string& prefix) const;

private:
    std::vector<std::string> lines_;
};

// Counts NodeDone calls while installed.
class CountingListener : public RenderListener {
public:
    CountingListener();
    ~CountingListener() override;
    void NodeDone() override { ++done; }
    void NodeProgress(int, int) override {}
    int done = 0;
};

std::vector<uint8_t> Bytes(const Image& image);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A fresh empty directory for one test's files.
std::string TempDir();
