// Reading and writing the host's document as image files: PNG and JPEG out, by
// the file name's extension; PNG, JPEG, BMP... in. Windows-free.
#pragma once

#include <string>

#include "plughost/pictures/host_image.h"

// Loads `path` as an image with `planes` planes (1 grey, 2 grey and alpha, 3 RGB,
// 4 RGBA, up to 8: RGBA and more). A file without transparency gets the alpha
// pattern in plane 4; planes beyond the fourth always get extraPlaneValue.
// False with a message that names the file as `shownName` on failure; a 16-bit
// picture is refused, since the filter works on 8 bits per channel.
bool loadImageFile(const std::string& path, const std::string& shownName, int32 planes,
                   HostImage* image, std::string* error);

constexpr int kDefaultJpegQuality = 90;  // 1..100

// True for the names saveImageFile can write: *.png, *.jpg, *.jpeg (any case).
bool isWritableImageName(const std::string& path);
// Writes a PNG or a JPEG (RGB of the first three planes, at `jpegQuality`) as the
// name says; false with a message naming the file as `shownName`.
bool saveImageFile(const std::string& path, const std::string& shownName, const HostImage& image,
                   int jpegQuality, std::string* error);

// Writes the image as an 8-bit PNG of its planes; a PNG holds at most four, so
// an image of more planes is written as RGBA of its first four.
bool savePngFile(const std::string& path, const HostImage& image, std::string* error);
