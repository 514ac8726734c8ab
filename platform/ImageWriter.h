// Writes a texture as a PNG, BMP or JPEG file through DevIL.
#pragma once

#include <string>

class Image;

enum class ImageFileType { kUnknown, kPng, kBmp, kJpeg };

// The type named by the path's extension (case-insensitive): .png, .bmp,
// .jpg or .jpeg.
ImageFileType ImageFileTypeOf(const std::string& path);

// Calls ilInit once; later calls do nothing.
void InitImageLibrary();

// Writes an outWidth x outHeight picture of the texture repeated from its
// top-left corner (colour bytes 0-2 only). The file appears only when fully
// written: an existing file is replaced atomically or left as it was.
bool WriteImageFile(const std::string& path, const Image& texture, int outWidth, int outHeight,
                    std::string* error);
