#include "plughost/pictures/image_files.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kAlphaChannels = 4;
constexpr int kGreyAlphaChannels = 2;
constexpr int kMostPngChannels = 4;
constexpr int kJpegChannels = 3;

std::string lowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool isJpegName(const std::string& path) {
    const std::string extension = lowerExtension(path);
    return extension == "jpg" || extension == "jpeg";
}

// The image's first `channels` planes, tightly packed.
std::vector<uint8> firstPlanes(const HostImage& image, int channels) {
    const size_t pixelCount = size_t(image.width) * size_t(image.height);
    std::vector<uint8> kept(pixelCount * size_t(channels));
    for (size_t i = 0; i < pixelCount; ++i) {
        for (int p = 0; p < channels; ++p) {
            kept[i * size_t(channels) + size_t(p)] =
                image.pixels[i * size_t(image.planes) + size_t(p)];
        }
    }
    return kept;
}

}  // namespace

bool loadImageFile(const std::string& path, const std::string& shownName, int32 planes,
                   HostImage* image, std::string* error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = shownName + ": " + (errno == ENOENT ? "no such file" : std::strerror(errno));
        return false;
    }
    if (stbi_is_16_bit_from_file(file)) {
        std::fclose(file);
        *error = shownName + ": a picture of 16 bits per channel; the filter works on 8 bits " +
                 "per channel, so convert it to 8 bits first";
        return false;
    }
    int width = 0, height = 0, channelsInFile = 0;
    const int decoded = planes < kMostPngChannels ? planes : kMostPngChannels;
    unsigned char* pixels = stbi_load_from_file(file, &width, &height, &channelsInFile, decoded);
    std::fclose(file);
    if (pixels == nullptr) {
        *error = shownName + ": not a picture that can be read (" + stbi_failure_reason() + ")";
        return false;
    }
    if (width > kMaxImageSide || height > kMaxImageSide) {
        stbi_image_free(pixels);
        *error = shownName + ": larger than " + std::to_string(kMaxImageSide) + " pixels on a side";
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
    fillExtraPlanes(
        image, planes >= kAlphaChannels && !fileHasAlpha ? kAlphaChannels - 1 : kMostPngChannels);
    return true;
}

bool isWritableImageName(const std::string& path) {
    return isJpegName(path) || lowerExtension(path) == "png";
}

bool saveImageFile(const std::string& path, const std::string& shownName, const HostImage& image,
                   int jpegQuality, std::string* error) {
    const bool jpeg = isJpegName(path);
    const int most = jpeg ? kJpegChannels : kMostPngChannels;
    const int channels = image.planes < most ? image.planes : most;
    std::vector<uint8> kept;
    const uint8* rows = image.pixels.data();
    if (channels != image.planes) {
        kept = firstPlanes(image, channels);
        rows = kept.data();
    }
    const int written =
        jpeg ? stbi_write_jpg(path.c_str(), image.width, image.height, channels, rows, jpegQuality)
             : stbi_write_png(path.c_str(), image.width, image.height, channels, rows,
                              image.width * channels);
    if (!written) {
        *error = shownName + ": cannot write the picture";
        return false;
    }
    return true;
}

bool savePngFile(const std::string& path, const HostImage& image, std::string* error) {
    return saveImageFile(path, path, image, kDefaultJpegQuality, error);
}
