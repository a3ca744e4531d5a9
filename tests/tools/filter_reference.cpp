// filter_reference: the Lumiveil effect computed the slow, obviously right way, so
// that end-to-end tests can compare what the module writes under Wine byte for byte.
//
//   filter_reference IN.png OUT.png --settings R,A,M [--rect top,left,bottom,right] [--rate N]
//
// IN.png has 3 (RGB) or 4 (RGBA) channels; OUT.png has the same. R, A, M are
// Radiation, Amount and Mist, each 0..100. The rect is the filter rectangle in the
// host's order (bottom and right exclusive), the whole image by default.
//
// Without --rate (the filtering pass): OUT.png is IN.png with every pixel inside the
// rect replaced by the effect; pixels outside it are copied unchanged. The box of a
// pixel reads its real neighbours, also outside the rect; a neighbour outside the
// image is read as the image pixel nearest to it (row and column clamped to the
// image), which is what a host that replicates edges delivers.
//
// With --rate N (the preview at reduction factor N, a whole number >= 1):
//  1. The image is point-sampled: the sampled image S has ceil(H/N) rows and
//     ceil(W/N) columns, and S(Y, X) = IN(Y*N, X*N), the top-left pixel of each
//     N x N cell. No averaging.
//  2. The rect is scaled as the preview scales the filter rectangle: top and left
//     are divided by N rounded to nearest with halves away from zero, i.e.
//     (v + N/2) / N for v >= 0 and (v - N/2) / N otherwise (truncating division);
//     the height and width become ceil(height/N) and ceil(width/N).
//  3. The effect runs on S with the radius for rate N; a neighbour outside S is read
//     as the nearest pixel of S (clamped to S's rows and columns).
//  4. OUT.png holds just the scaled rect, ceil(height/N) x ceil(width/N): what the
//     module writes into outData for its preview. Its fourth channel, if any, is the
//     fourth channel of the sample of S under each pixel (nearest pixel of S where
//     the scaled rect reaches past S).
//
// Exit status: 0 on success, 2 for bad arguments, 1 when a file cannot be read or written.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kExitBadArguments = 2;
constexpr int kExitFileError = 1;
constexpr int kMaxSetting = 100;
constexpr int kLargestRadius = 96;
constexpr int kWhiteIndex = 2040;  // 2R + 5G + B of white
constexpr int kWeightOne = 1024;   // blend weights in 1/1024

struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<unsigned char> bytes;

    const unsigned char* pixel(int y, int x) const {
        return &bytes[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels)];
    }
    unsigned char* pixel(int y, int x) {
        return &bytes[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels)];
    }
};

struct Area {
    int top, left, bottom, right;
};

struct Options {
    const char* input = nullptr;
    const char* output = nullptr;
    int radiation = -1, amount = -1, mist = -1;
    bool haveRect = false;
    Area rect{0, 0, 0, 0};
    int rate = 1;
    bool haveRate = false;
};

int clampTo(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

int floorDivide(int numerator, int denominator) {
    int quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) --quotient;
    return quotient;
}

// The derived values, written out from their definitions.
struct Effect {
    int radius;
    int weight[kWhiteIndex + 1];  // by luminance index, 0..1024
    int tone[256];                // by blended value
};

Effect effectFor(const Options& options) {
    Effect effect;
    int baseRadius = (options.radiation * 95 + 50) / 100;
    int scaled = (2 * baseRadius + options.rate) / (2 * options.rate);  // r0 / rate, half up
    effect.radius = clampTo(scaled + 1, 1, kLargestRadius);
    int amountScale = options.amount * kWeightOne / 100;
    for (int index = 0; index <= kWhiteIndex; ++index) {
        effect.weight[index] =
            ((kWhiteIndex - index) * amountScale + kWhiteIndex / 2) / kWhiteIndex;
    }
    int mistLevel = options.mist * 255 / 400;
    for (int value = 0; value < 256; ++value) {
        effect.tone[value] = mistLevel + (value * (255 - mistLevel) + 127) / 255;
    }
    return effect;
}

// The effect at (y, x) of `image`, neighbours outside it read at the nearest edge.
void filterPixel(const Image& image, const Effect& effect, int y, int x, unsigned char* out) {
    int radius = effect.radius;
    int area = (2 * radius + 1) * (2 * radius + 1);
    long sums[3] = {0, 0, 0};
    for (int dy = -radius; dy <= radius; ++dy) {
        int row = clampTo(y + dy, 0, image.height - 1);
        for (int dx = -radius; dx <= radius; ++dx) {
            const unsigned char* neighbour = image.pixel(row, clampTo(x + dx, 0, image.width - 1));
            for (int k = 0; k < 3; ++k) sums[k] += neighbour[k];
        }
    }
    const unsigned char* own =
        image.pixel(clampTo(y, 0, image.height - 1), clampTo(x, 0, image.width - 1));
    int weight = effect.weight[2 * own[0] + 5 * own[1] + own[2]];
    for (int k = 0; k < 3; ++k) {
        int mean = int((sums[k] + area / 2) / area);
        int blended = own[k] + floorDivide((mean - own[k]) * weight, kWeightOne);
        out[k] = (unsigned char)effect.tone[blended];
    }
    for (int k = 3; k < image.channels; ++k) out[k] = own[k];
}

Image pointSampled(const Image& image, int rate) {
    Image sampled;
    sampled.width = (image.width + rate - 1) / rate;
    sampled.height = (image.height + rate - 1) / rate;
    sampled.channels = image.channels;
    sampled.bytes.resize(size_t(sampled.width) * size_t(sampled.height) * size_t(image.channels));
    for (int y = 0; y < sampled.height; ++y) {
        for (int x = 0; x < sampled.width; ++x) {
            std::memcpy(sampled.pixel(y, x), image.pixel(y * rate, x * rate),
                        size_t(image.channels));
        }
    }
    return sampled;
}

int scaledCorner(int value, int rate) {
    int half = rate / 2;
    return value >= 0 ? (value + half) / rate : (value - half) / rate;
}

Area scaledRect(const Area& rect, int rate) {
    Area scaled;
    scaled.top = scaledCorner(rect.top, rate);
    scaled.left = scaledCorner(rect.left, rate);
    scaled.bottom = scaled.top + (rect.bottom - rect.top + rate - 1) / rate;
    scaled.right = scaled.left + (rect.right - rect.left + rate - 1) / rate;
    return scaled;
}

Image filterPass(const Image& image, const Area& rect, const Effect& effect) {
    Image result = image;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x)
            filterPixel(image, effect, y, x, result.pixel(y, x));
    }
    return result;
}

Image filterPreview(const Image& image, const Area& rect, const Effect& effect, int rate) {
    Image sampled = pointSampled(image, rate);
    Area scaled = scaledRect(rect, rate);
    Image result;
    result.width = scaled.right - scaled.left;
    result.height = scaled.bottom - scaled.top;
    result.channels = image.channels;
    result.bytes.resize(size_t(result.width) * size_t(result.height) * size_t(result.channels));
    for (int y = 0; y < result.height; ++y) {
        for (int x = 0; x < result.width; ++x) {
            filterPixel(sampled, effect, scaled.top + y, scaled.left + x, result.pixel(y, x));
        }
    }
    return result;
}

bool parseInts(const char* text, int* values, int count) {
    const char* cursor = text;
    for (int index = 0; index < count; ++index) {
        char* end = nullptr;
        long value = std::strtol(cursor, &end, 10);
        if (end == cursor || value < -32768 || value > 32767) return false;
        values[index] = int(value);
        cursor = end;
        if (index + 1 < count) {
            if (*cursor != ',') return false;
            ++cursor;
        }
    }
    return *cursor == '\0';
}

int usage(const char* problem) {
    std::fprintf(stderr,
                 "filter_reference: %s\n"
                 "usage: filter_reference IN.png OUT.png --settings R,A,M "
                 "[--rect top,left,bottom,right] [--rate N]\n",
                 problem);
    return kExitBadArguments;
}

bool inSettingRange(int value) { return value >= 0 && value <= kMaxSetting; }

// Returns an empty string when the options are usable, else what is wrong.
std::string parseOptions(int argc, char** argv, Options& options) {
    if (argc < 3) return "missing IN.png or OUT.png";
    options.input = argv[1];
    options.output = argv[2];
    bool haveSettings = false;
    for (int index = 3; index < argc; ++index) {
        std::string flag = argv[index];
        if (index + 1 >= argc) return "missing value after " + flag;
        const char* value = argv[++index];
        if (flag == "--settings") {
            int settings[3];
            if (!parseInts(value, settings, 3)) return "--settings wants R,A,M";
            options.radiation = settings[0];
            options.amount = settings[1];
            options.mist = settings[2];
            haveSettings = true;
        } else if (flag == "--rect") {
            int rect[4];
            if (!parseInts(value, rect, 4)) return "--rect wants top,left,bottom,right";
            options.rect = {rect[0], rect[1], rect[2], rect[3]};
            options.haveRect = true;
        } else if (flag == "--rate") {
            if (!parseInts(value, &options.rate, 1) || options.rate < 1)
                return "--rate wants N >= 1";
            options.haveRate = true;
        } else {
            return "unknown option " + flag;
        }
    }
    if (!haveSettings) return "--settings is required";
    if (!inSettingRange(options.radiation) || !inSettingRange(options.amount) ||
        !inSettingRange(options.mist)) {
        return "each setting must lie in 0..100";
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string problem = parseOptions(argc, argv, options);
    if (!problem.empty()) return usage(problem.c_str());

    Image image;
    unsigned char* loaded =
        stbi_load(options.input, &image.width, &image.height, &image.channels, 0);
    if (loaded == nullptr) {
        std::fprintf(stderr, "filter_reference: cannot read %s: %s\n", options.input,
                     stbi_failure_reason());
        return kExitFileError;
    }
    image.bytes.assign(
        loaded, loaded + size_t(image.width) * size_t(image.height) * size_t(image.channels));
    stbi_image_free(loaded);
    if (image.channels != 3 && image.channels != 4) {
        std::fprintf(stderr, "filter_reference: %s has %d channels, not 3 or 4\n", options.input,
                     image.channels);
        return kExitFileError;
    }

    Area whole{0, 0, image.height, image.width};
    Area rect = options.haveRect ? options.rect : whole;
    if (rect.top < 0 || rect.left < 0 || rect.bottom > image.height || rect.right > image.width ||
        rect.top >= rect.bottom || rect.left >= rect.right) {
        return usage("--rect must be a non-empty rectangle inside the image");
    }

    Effect effect = effectFor(options);
    Image result = options.haveRate ? filterPreview(image, rect, effect, options.rate)
                                    : filterPass(image, rect, effect);
    if (!stbi_write_png(options.output, result.width, result.height, result.channels,
                        result.bytes.data(), result.width * result.channels)) {
        std::fprintf(stderr, "filter_reference: cannot write %s\n", options.output);
        return kExitFileError;
    }
    return 0;
}
