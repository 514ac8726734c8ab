#include "platform/Memory.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>

namespace platform {

namespace {

constexpr uint64_t kUnknown = std::numeric_limits<uint64_t>::max();

uint64_t PageSize() {
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<uint64_t>(size) : 4096;
}

// The room left under a resource limit, given what is in use now.
uint64_t RoomUnder(int resource, uint64_t used) {
    struct rlimit limit;
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnknown;
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

// Fields of /proc/self/statm, in pages: total program size, then data + stack
// as the sixth field.
void ProcessSizes(uint64_t* total, uint64_t* data) {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0, shared = 0, text = 0, lib = 0, dataPages = 0;
    if (!(statm >> size >> resident >> shared >> text >> lib >> dataPages)) return;
    *total = size * PageSize();
    *data = dataPages * PageSize();
}

uint64_t MemAvailable() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:") return kib * 1024;
    }
    return kUnknown;
}

uint64_t ReadNumber(const std::string& path) {
    std::ifstream in(path);
    uint64_t value = 0;
    return in >> value ? value : kUnknown;  // "max" reads as unknown
}

// The room left under the cgroup's limit (v2, or v1's memory controller).
uint64_t CgroupRoom() {
    std::ifstream cgroups("/proc/self/cgroup");
    std::string line;
    while (std::getline(cgroups, line)) {
        const size_t colon = line.rfind(':');
        if (colon == std::string::npos) continue;
        const std::string path = line.substr(colon + 1);
        std::string dir;
        if (line.rfind("0::", 0) == 0)
            dir = "/sys/fs/cgroup" + path + "/memory.";
        else if (line.find(":memory:") != std::string::npos)
            dir = "/sys/fs/cgroup/memory" + path + "/memory.";
        else
            continue;
        const bool v2 = line.rfind("0::", 0) == 0;
        const uint64_t limit = ReadNumber(dir + (v2 ? "max" : "limit_in_bytes"));
        const uint64_t used = ReadNumber(dir + (v2 ? "current" : "usage_in_bytes"));
        if (limit != kUnknown && used != kUnknown) return limit > used ? limit - used : 0;
    }
    return kUnknown;
}

}  // namespace

uint64_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

uint64_t ObtainableMemoryBytes() {
    uint64_t total = 0, data = 0;
    ProcessSizes(&total, &data);
    return std::min(
        {RoomUnder(RLIMIT_AS, total), RoomUnder(RLIMIT_DATA, data), CgroupRoom(), MemAvailable()});
}

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t RoundUp(size_t bytes, size_t to) {
    return (bytes + to - 1) / to * to;
}

// Sanitizers track the heap only: their builds keep every block there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif
#else
constexpr bool kMapLargeBlocks = true;
#endif

bool Mapped(size_t bytes) {
    return kMapLargeBlocks && bytes >= 2 * kHugePage;
}

}  // namespace

// A fresh anonymous mapping reads as zeros, like calloc's, and one aligned to
// the huge page can be backed by huge pages from its first touch.
void* AllocateZeroed(size_t bytes) {
    if (!Mapped(bytes)) return std::calloc(bytes, 1);
    if (bytes > SIZE_MAX - 2 * kHugePage) return nullptr;
    const size_t length = RoundUp(bytes, kHugePage);
    const size_t slack = kHugePage;
    void* raw =
        mmap(nullptr, length + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = RoundUp(start, kHugePage);
    if (aligned > start) munmap(raw, aligned - start);
    if (const size_t tail = start + length + slack - (aligned + length); tail > 0)
        munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, length, MADV_HUGEPAGE);  // advice only: small pages serve as well
#endif
    return block;
}

void ReleaseZeroed(void* block, size_t bytes) {
    if (!block) return;
    if (!Mapped(bytes)) return std::free(block);
    munmap(block, RoundUp(bytes, kHugePage));
}

}  // namespace platform
