#include "platform/ImageWriter.h"

#include <IL/il.h>

#include <algorithm>
#include <cctype>
#include <new>
#include <vector>

#include "engine/Image.h"
#include "platform/SafeFile.h"

// Exported by DevIL 1.7.8 but missing from its header.
extern "C" ILuint ILAPIENTRY ilDetermineSize(ILenum type);

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

// Encodes the bound image in memory: DevIL's own file writing does not
// report failed writes, so the bytes go out through an AtomicFile instead.
bool Encode(ImageFileType type, std::vector<ILubyte>* bytes, std::string* cause) {
    const ILuint size = ilDetermineSize(DevILType(type));
    if (size > 0) {
        bytes->resize(size);
        if (ilSaveL(DevILType(type), bytes->data(), size) == size) return true;
    }
    const ILenum code = ilGetError();
    *cause = code == IL_OUT_OF_MEMORY
                 ? "not enough memory"
                 : "the image library cannot encode it (error " + std::to_string(code) + ")";
    return false;
}

// Encodes the picture into memory; false with the cause when it cannot.
bool EncodePicture(ImageFileType type, const Image& texture, int w, int h,
                   std::vector<ILubyte>* bytes, std::string* cause) {
    std::vector<ILubyte> data = BottomUpBgr(texture, w, h);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool ok = ilTexImage(w, h, 1, 3, IL_BGR, IL_UNSIGNED_BYTE, data.data());
    if (!ok) *cause = "not enough memory";
    data = {};
    try {
        ok = ok && Encode(type, bytes, cause);
    } catch (const std::bad_alloc&) {
        ok = false;
        *cause = "not enough memory";
    }
    ilDeleteImages(1, &name);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return ok;
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

    std::vector<ILubyte> bytes;
    std::string cause;
    try {
        if (!EncodePicture(type, texture, outWidth, outHeight, &bytes, &cause))
            return Fail(error, "Cannot write " + path + ": " + cause);
    } catch (const std::bad_alloc&) {
        return Fail(error, "Cannot write " + path + ": not enough memory");
    }
    if (!platform::WriteFileAtomically(path, bytes.data(), bytes.size(), &cause))
        return Fail(error, "Cannot write " + path + ": " + cause);
    return true;
}
