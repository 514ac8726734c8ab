// Files that appear complete or not at all. The bytes go to a fresh file
// beside the target, made with mkstemp so that no planted link is followed,
// every write is checked, and only a flushed and synced file is renamed over
// the target. On failure the target is untouched and no temporary is left.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

namespace platform {

class AtomicFile {
public:
    // Creates the temporary file; check ok().
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Write(const void* data, size_t size);
    // Replaces the target. An existing file's permission bits are kept; a new
    // file gets the usual ones (0666 less the umask).
    bool Commit();

    bool ok() const { return error_.empty(); }
    // The cause, from errno: "No space left on device", "Is a directory"...
    const std::string& error() const { return error_; }

private:
    bool Fail(int errorNumber);
    bool Flush();

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    std::vector<char> buffer_;
    std::string error_;
};

// The whole file in one call.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size,
                         std::string* error);

// For tests: every file write fails with errorNumber once `bytes` more bytes
// have been written; a negative count turns the fault off.
void InjectWriteFault(long long bytes, int errorNumber = ENOSPC);

}  // namespace platform
