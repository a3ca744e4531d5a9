#include "plughost/image_files.h"

#include <vector>

#include <stb_image.h>
#include <stb_image_write.h>

namespace {

constexpr int kAlphaChannels = 4;
constexpr int kGreyAlphaChannels = 2;
constexpr int kMostPngChannels = 4;

}  // namespace

bool loadImageFile(const std::string& path, int32 planes, HostImage* image, std::string* error) {
    int width = 0, height = 0, channelsInFile = 0;
    const int decoded = planes < kMostPngChannels ? planes : kMostPngChannels;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channelsInFile, decoded);
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
    image->pixels.assign(size_t(width) * size_t(height) * size_t(planes), 0);
    const size_t pixelCount = size_t(width) * size_t(height);
    for (size_t i = 0; i < pixelCount; ++i) {
        for (int p = 0; p < decoded; ++p) {
            image->pixels[i * size_t(planes) + size_t(p)] = pixels[i * size_t(decoded) + size_t(p)];
        }
    }
    stbi_image_free(pixels);
    const bool fileHasAlpha =
        channelsInFile == kGreyAlphaChannels || channelsInFile == kAlphaChannels;
    fillExtraPlanes(image, planes >= kAlphaChannels && !fileHasAlpha ? kAlphaChannels - 1
                                                                     : kMostPngChannels);
    return true;
}

bool savePngFile(const std::string& path, const HostImage& image, std::string* error) {
    const int channels = image.planes < kMostPngChannels ? image.planes : kMostPngChannels;
    std::vector<uint8> kept;
    const uint8* rows = image.pixels.data();
    if (channels != image.planes) {
        const size_t pixelCount = size_t(image.width) * size_t(image.height);
        kept.resize(pixelCount * size_t(channels));
        for (size_t i = 0; i < pixelCount; ++i) {
            for (int p = 0; p < channels; ++p) {
                kept[i * size_t(channels) + size_t(p)] =
                    image.pixels[i * size_t(image.planes) + size_t(p)];
            }
        }
        rows = kept.data();
    }
    const int rowBytes = image.width * channels;
    if (!stbi_write_png(path.c_str(), image.width, image.height, channels, rows, rowBytes)) {
        *error = "cannot write image " + path;
        return false;
    }
    return true;
}
