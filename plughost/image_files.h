// Reading and writing the host's document as image files (PNG out; PNG, BMP,
// JPEG... in). Windows-free.
#pragma once

#include <string>

#include "plughost/host_image.h"

// Loads `path` as an image with `planes` planes (1 grey, 2 grey and alpha, 3 RGB,
// 4 RGBA, up to 8: RGBA and more). A file without transparency gets the alpha
// pattern in plane 4; planes beyond the fourth always get extraPlaneValue.
// False with a message on failure.
bool loadImageFile(const std::string& path, int32 planes, HostImage* image, std::string* error);

// Writes the image as an 8-bit PNG of its planes; a PNG holds at most four, so
// an image of more planes is written as RGBA of its first four.
bool savePngFile(const std::string& path, const HostImage& image, std::string* error);
