// Reading and writing the host's document as image files (PNG out; PNG, BMP,
// JPEG... in). Windows-free.
#pragma once

#include <string>

#include "plughost/host_image.h"

// Loads `path` as an image with `planes` planes (3 or 4). A file without
// transparency gets the alpha pattern in plane 4. False with a message on failure.
bool loadImageFile(const std::string& path, int32 planes, HostImage* image, std::string* error);

// Writes the image as an 8-bit RGB (3 planes) or RGBA (4 planes) PNG.
bool savePngFile(const std::string& path, const HostImage& image, std::string* error);
