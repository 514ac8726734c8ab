#include "platform/ImageWriter.h"

#include <IL/il.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "engine/Image.h"

namespace {

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

ILenum DevILType(ImageFileType type) {
    switch (type) {
        case ImageFileType::kPng:
            return IL_PNG;
        case ImageFileType::kBmp:
            return IL_BMP;
        case ImageFileType::kJpeg:
            return IL_JPG;
        default:
            return IL_TYPE_UNKNOWN;
    }
}

// Bottom row first, blue-green-red: with DevIL's lower-left origin the saved
// picture is upright.
std::vector<ILubyte> BottomUpBgr(const Image& texture, int w, int h) {
    std::vector<ILubyte> data(static_cast<size_t>(w) * h * 3);
    size_t i = 0;
    for (int r = h - 1; r >= 0; --r) {
        for (int c = 0; c < w; ++c) {
            const uint8_t* p = texture.pixel(c % texture.width, r % texture.height);
            data[i++] = p[2];
            data[i++] = p[1];
            data[i++] = p[0];
        }
    }
    return data;
}

// A fresh name beside the target for the file being written.
std::string TemporaryPath(const std::string& path) {
    return path + ".tmp" + std::to_string(getpid());
}

}  // namespace

ImageFileType ImageFileTypeOf(const std::string& path) {
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return ImageFileType::kUnknown;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "png") return ImageFileType::kPng;
    if (ext == "bmp") return ImageFileType::kBmp;
    if (ext == "jpg" || ext == "jpeg") return ImageFileType::kJpeg;
    return ImageFileType::kUnknown;
}

void InitImageLibrary() {
    static bool initialised = false;
    if (initialised) return;
    ilInit();
    initialised = true;
}

bool WriteImageFile(const std::string& path, const Image& texture, int outWidth, int outHeight,
                    std::string* error) {
    const ImageFileType type = ImageFileTypeOf(path);
    if (type == ImageFileType::kUnknown)
        return Fail(error,
                    "Cannot write " + path + ": unknown image type (use .png, .bmp or .jpg)");
    if (outWidth < 1 || outHeight < 1 || outWidth > Image::kMaxSide || outHeight > Image::kMaxSide)
        return Fail(error, "Cannot write " + path + ": impossible picture size");
    InitImageLibrary();

    std::vector<ILubyte> data = BottomUpBgr(texture, outWidth, outHeight);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    ilEnable(IL_FILE_OVERWRITE);
    bool ok = ilTexImage(outWidth, outHeight, 1, 3, IL_BGR, IL_UNSIGNED_BYTE, data.data());
    const std::string temp = TemporaryPath(path);
    ok = ok && ilSave(DevILType(type), temp.c_str());
    ILenum ilError = ilGetError();
    ilDeleteImages(1, &name);
    while (ilGetError() != IL_NO_ERROR) {
    }

    if (ok) {
        mode_t mask = umask(0);
        umask(mask);
        chmod(temp.c_str(), 0666 & ~mask);
        ok = std::rename(temp.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        std::remove(temp.c_str());
        return Fail(error, "Cannot write " + path + " (image library error " +
                               std::to_string(ilError) + ")");
    }
    return true;
}
