#include "plughost/image_files.h"

#include <stb_image.h>
#include <stb_image_write.h>

namespace {

constexpr int kAlphaChannels = 4;

}  // namespace

bool loadImageFile(const std::string& path, int32 planes, HostImage* image, std::string* error) {
    int width = 0, height = 0, channelsInFile = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channelsInFile, planes);
    if (pixels == nullptr) {
        *error = "cannot read image " + path + ": " + stbi_failure_reason();
        return false;
    }
    if (width > kMaxImageSide || height > kMaxImageSide) {
        stbi_image_free(pixels);
        *error = "image " + path + " is larger than " + std::to_string(kMaxImageSide) +
                 " pixels on a side";
        return false;
    }
    image->width = width;
    image->height = height;
    image->planes = planes;
    image->pixels.assign(pixels, pixels + size_t(width) * size_t(height) * size_t(planes));
    stbi_image_free(pixels);
    const bool fileHasAlpha = channelsInFile == 2 || channelsInFile == kAlphaChannels;
    if (planes == kAlphaChannels && !fileHasAlpha) fillAlphaPattern(image);
    return true;
}

bool savePngFile(const std::string& path, const HostImage& image, std::string* error) {
    const int rowBytes = image.width * image.planes;
    if (!stbi_write_png(path.c_str(), image.width, image.height, image.planes, image.pixels.data(),
                        rowBytes)) {
        *error = "cannot write image " + path;
        return false;
    }
    return true;
}
