// How much memory the machine has, so impossible documents are refused up
// front: the system hands out address space it may be unable to back later.
#pragma once

#include <cstdint>

namespace platform {

// Physical memory in bytes, or 0 when it cannot be told.
uint64_t PhysicalMemoryBytes();

}  // namespace platform
