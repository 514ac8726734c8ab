// Byte streams for texture files. Short reads and failed writes are
// remembered so callers can reject a damaged file instead of trusting it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class AtomicFile;
}

class Stream {
public:
    virtual ~Stream() = default;
    virtual void Write(const void* buffer, size_t count) = 0;
    // At the end of the data the rest of the buffer keeps what it held.
    virtual void Read(void* buffer, size_t count) = 0;

    // True once a read ran past the end or a write failed.
    bool failed() const { return failed_; }

protected:
    bool failed_ = false;
};

// Reads from, or appends to, a block of memory.
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
    MemoryStream(const uint8_t* data, size_t size) : data_(data, data + size) {}

    void Write(const void* buffer, size_t count) override;
    void Read(void* buffer, size_t count) override;

    const std::vector<uint8_t>& data() const { return data_; }
    size_t remaining() const { return data_.size() - position_; }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};

// A file opened for reading (mode 0) or writing (mode 1). Opening never ends
// the program: check isOpen() and error(). A file for writing goes to a
// temporary file beside the target and replaces the target only on Commit(),
// so a failed save leaves any existing file intact (see platform::AtomicFile).
class FileStream : public Stream {
public:
    enum Mode : uint8_t { kRead = 0, kWrite = 1 };

    FileStream(const std::string& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    void Write(const void* buffer, size_t count) override;
    void Read(void* buffer, size_t count) override;

    // For writing: false too once a write has failed.
    bool isOpen() const;
    const std::string& error() const { return error_; }

    // Flushes, closes and renames the temporary file over the target.
    bool Commit();

private:
    Mode mode_;
    FILE* file_ = nullptr;  // reading
    std::unique_ptr<platform::AtomicFile> out_;
    std::string error_;
};

// Little-endian helpers used by both file sections.
void WriteU8(Stream& s, uint8_t v);
void WriteI16(Stream& s, int16_t v);
uint8_t ReadU8(Stream& s);
int16_t ReadI16(Stream& s);
