// Where debug log lines go. By default they are dropped unless SWATCHER_LOG
// names "stderr" or a file path; tests and tools install their own sink.
#pragma once

#include <functional>
#include <string>

namespace platform {

using LogSink = std::function<void(const std::string& line)>;

// Hands one finished line (already ending in "\r\n") to the current sink.
// Any thread may log; lines reach the sink one at a time.
void WriteDebugLine(const std::string& line);

// Replaces the sink; an empty function restores the default one.
void SetLogSink(LogSink sink);

// Sends every line to stderr (for command-line tools).
void LogToStderr();

}  // namespace platform
