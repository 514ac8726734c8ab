#include "platform/Memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
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

}  // namespace platform
