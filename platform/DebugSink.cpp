#include "platform/DebugSink.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

namespace platform {
namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f && f != stderr) std::fclose(f);
    }
};

LogSink MakeDefaultSink() {
    const char* target = std::getenv("SWATCHER_LOG");
    if (!target || !*target) return [](const std::string&) {};
    FILE* f = std::string(target) == "stderr" ? stderr : std::fopen(target, "ab");
    if (!f) return [](const std::string&) {};
    std::shared_ptr<FILE> file(f, FileCloser());
    return [file](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), file.get());
        std::fflush(file.get());
    };
}

LogSink& CurrentSink() {
    static LogSink sink = MakeDefaultSink();
    return sink;
}

// A render thread logs while the user-interface thread does: lines stay whole
// and in order, and a sink is never replaced while it runs.
std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

void WriteDebugLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    CurrentSink()(line);
}

void SetLogSink(LogSink sink) {
    LogSink replacement = sink ? std::move(sink) : MakeDefaultSink();
    std::lock_guard<std::mutex> lock(SinkMutex());
    CurrentSink().swap(replacement);
}

void LogToStderr() {
    SetLogSink([](const std::string& line) { std::fwrite(line.data(), 1, line.size(), stderr); });
}

}  // namespace platform
