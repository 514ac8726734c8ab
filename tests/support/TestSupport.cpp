#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

std::vector<std::string> LogCapture::Matching(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : lines_)
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

std::vector<uint8_t> Bytes(const Image& image) {
    return std::vector<uint8_t>(image.bytes(), image.bytes() + image.byteCount());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/swatcher-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return mkdtemp(name.data()) ? std::string(name.data()) : std::string("/tmp");
}
