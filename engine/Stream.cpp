#include "engine/Stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

void MemoryStream::Write(const void* buffer, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    data_.insert(data_.end(), bytes, bytes + count);
}

void MemoryStream::Read(void* buffer, size_t count) {
    size_t n = std::min(count, remaining());
    if (n) std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    if (n < count) failed_ = true;
}

FileStream::FileStream(const std::string& path, Mode mode) : path_(path), mode_(mode) {
    if (mode == kRead) {
        file_ = std::fopen(path.c_str(), "rb");
        if (!file_) error_ = std::strerror(errno);
        return;
    }
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) {
        error_ = std::strerror(errno);
        return;
    }
    file_ = fdopen(fd, "wb");
    if (!file_) {
        error_ = std::strerror(errno);
        close(fd);
        std::remove(name.data());
        return;
    }
    tempPath_ = name.data();
}

FileStream::~FileStream() {
    if (file_) std::fclose(file_);
    if (!tempPath_.empty()) std::remove(tempPath_.c_str());
}

void FileStream::Write(const void* buffer, size_t count) {
    if (mode_ != kWrite || !file_ || failed_) return;
    if (std::fwrite(buffer, 1, count, file_) != count) {
        failed_ = true;
        error_ = std::strerror(errno);
    }
}

void FileStream::Read(void* buffer, size_t count) {
    if (mode_ != kRead || !file_) return;
    if (std::fread(buffer, 1, count, file_) != count) failed_ = true;
}

bool FileStream::Commit() {
    if (mode_ != kWrite || !file_) return false;
    bool ok = !failed_ && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    if (!ok && error_.empty()) error_ = std::strerror(errno);
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        error_ = std::strerror(errno);
    }
    file_ = nullptr;
    if (ok) {
        // mkstemp creates 0600; give the file the usual permissions.
        mode_t mask = umask(0);
        umask(mask);
        chmod(tempPath_.c_str(), 0666 & ~mask);
        if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
            ok = false;
            error_ = std::strerror(errno);
        }
    }
    if (ok) tempPath_.clear();
    return ok;
}

void WriteU8(Stream& s, uint8_t v) {
    s.Write(&v, 1);
}

void WriteI16(Stream& s, int16_t v) {
    const auto u = static_cast<uint16_t>(v);
    uint8_t bytes[2] = {static_cast<uint8_t>(u & 0xFF), static_cast<uint8_t>(u >> 8)};
    s.Write(bytes, 2);
}

uint8_t ReadU8(Stream& s) {
    uint8_t v = 0;
    s.Read(&v, 1);
    return v;
}

int16_t ReadI16(Stream& s) {
    uint8_t bytes[2] = {0, 0};
    s.Read(bytes, 2);
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}
