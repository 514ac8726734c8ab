#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

constexpr size_t kBufferSize = size_t{1} << 16;

std::atomic<long long> g_faultAfter{-1};
std::atomic<int> g_faultErrno{ENOSPC};

// write() until done, honouring the injected fault; -1 with errno set.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        size_t chunk = size;
        const long long left = g_faultAfter.load();
        if (left >= 0) {
            if (left == 0) {
                errno = g_faultErrno.load();
                return false;
            }
            chunk = std::min(chunk, static_cast<size_t>(left));
        }
        const ssize_t n = ::write(fd, data, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (left >= 0) g_faultAfter.fetch_sub(n);
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The bits an existing regular file has, or the usual ones for a new file.
// lstat: a link at the target is replaced, not its target, so its bits
// do not count.
mode_t ModeFor(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The rename is durable only once the directory is synced too.
void SyncDirectoryOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    if (dir.empty()) dir = ".";
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) : path_(path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        Fail(EISDIR);
        return;
    }
    std::string name = path + ".XXXXXX";
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        Fail(errno);
        return;
    }
    tempPath_ = name;
    buffer_.reserve(kBufferSize);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) close(fd_);
    if (!tempPath_.empty()) unlink(tempPath_.c_str());
}

bool AtomicFile::Fail(int errorNumber) {
    if (error_.empty()) error_ = std::strerror(errorNumber);
    return false;
}

bool AtomicFile::Flush() {
    if (!WriteAll(fd_, buffer_.data(), buffer_.size())) return Fail(errno);
    buffer_.clear();
    return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
    if (!ok()) return false;
    const auto* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > kBufferSize) {
        if (!Flush()) return false;
        if (size >= kBufferSize) return WriteAll(fd_, bytes, size) || Fail(errno);
    }
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
}

bool AtomicFile::Commit() {
    if (!ok() || !Flush()) return false;
    // fchmod on the descriptor: a name could have been swapped for a link.
    if (fchmod(fd_, ModeFor(path_)) != 0 || fsync(fd_) != 0) return Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return Fail(errno);
    if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) return Fail(errno);
    tempPath_.clear();
    SyncDirectoryOf(path_);
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size,
                         std::string* error) {
    AtomicFile file(path);
    if (file.Write(data, size) && file.Commit()) return true;
    if (error) *error = file.error();
    return false;
}

void InjectWriteFault(long long bytes, int errorNumber) {
    g_faultErrno.store(errorNumber);
    g_faultAfter.store(bytes);
}

}  // namespace platform
