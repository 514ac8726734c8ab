#include "engine/Stream.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/SafeFile.h"

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

FileStream::FileStream(const std::string& path, Mode mode) : mode_(mode) {
    if (mode == kWrite) {
        out_ = std::make_unique<platform::AtomicFile>(path);
        if (!out_->ok()) error_ = out_->error();
        return;
    }
    file_ = std::fopen(path.c_str(), "rb");
    struct stat st;
    // fopen opens a directory for reading; its first read would fail.
    const int problem = !file_                                                  ? errno
                        : fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode) ? EISDIR
                                                                                : 0;
    if (problem) error_ = std::strerror(problem);
    if (problem && file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

FileStream::~FileStream() {
    if (file_) std::fclose(file_);
}

bool FileStream::isOpen() const {
    return mode_ == kWrite ? out_->ok() : file_ != nullptr;
}

void FileStream::Write(const void* buffer, size_t count) {
    if (mode_ != kWrite || failed_) return;
    if (!out_->Write(buffer, count)) {
        failed_ = true;
        error_ = out_->error();
    }
}

void FileStream::Read(void* buffer, size_t count) {
    if (mode_ != kRead || !file_) return;
    if (std::fread(buffer, 1, count, file_) != count) failed_ = true;
}

bool FileStream::Commit() {
    if (mode_ != kWrite || failed_) return false;
    if (out_->Commit()) return true;
    error_ = out_->error();
    return false;
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
