#include "engine/Image.h"

#include <cstdlib>

#include "engine/Diagnostics.h"

std::unique_ptr<Image> Image::Create(int width, int height) {
    void* block = nullptr;
    if (width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide) {
        block = std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 4);
    }
    if (!block) {
        DebugLog("null: no %ix%ix4 buf", width, height);
        return nullptr;
    }
    return std::unique_ptr<Image>(new Image(width, height, static_cast<uint32_t*>(block)));
}

Image::~Image() {
    std::free(pixels);
}
