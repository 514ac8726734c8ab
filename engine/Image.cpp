#include "engine/Image.h"

#include <atomic>

#include "engine/Diagnostics.h"
#include "platform/Memory.h"

namespace {
uint64_t NextVersion() {
    static std::atomic<uint64_t> count{0};
    return ++count;
}
}  // namespace

Image::Image(int w, int h, uint32_t* p)
    : width(w), height(h), pixelCount(w * h), pixels(p), version_(NextVersion()) {}

void Image::Written() {
    version_ = NextVersion();
}

std::unique_ptr<Image> Image::Create(int width, int height) {
    void* block = nullptr;
    if (width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide) {
        block =
            platform::AllocateZeroed(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    }
    if (!block) {
        DebugLog("null: no %ix%ix4 buf", width, height);
        return nullptr;
    }
    return std::unique_ptr<Image>(new Image(width, height, static_cast<uint32_t*>(block)));
}

Image::~Image() {
    platform::ReleaseZeroed(pixels, byteCount());
}
