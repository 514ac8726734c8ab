// How much memory the process can get, so impossible documents are refused
// up front: the system hands out address space it may be unable to back later.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Physical memory in bytes, or 0 when it cannot be told.
uint64_t PhysicalMemoryBytes();

// What this process may still allocate: the least of the room left under its
// address-space and data limits, under its cgroup's memory limit, and the
// system's available memory. UINT64_MAX when none of them can be told.
uint64_t ObtainableMemoryBytes();

// Zero-filled memory for pixels, or null when there is none. Large blocks
// are mapped in huge pages where the kernel allows: a fresh 2048 x 2048
// image then faults in eight times instead of four thousand. Release with
// the same size.
void* AllocateZeroed(size_t bytes);
void ReleaseZeroed(void* block, size_t bytes);

}  // namespace platform
