// The box-mean kernel, both implementations, against a slow reference that sums
// every box directly, with the host simulated strip by strip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "engine/effect_tables.h"
#include "engine/fast_kernel.h"
#include "params/effect_settings.h"
#include "params/parameter_set.h"
#include "strips/module_effect.h"

namespace {

constexpr Fixed kRateOne = 0x10000;
// Bytes the kernel must leave alone (fourth planes, row padding) start with this
// pattern, so that any write shows.
constexpr uint8 kUntouched = 0xA5;

struct Image {
    int32 width = 0;
    int32 height = 0;
    int32 planes = 3;
    std::vector<uint8> bytes;

    const uint8* pixel(int32 y, int32 x) const {
        return &bytes[(size_t(y) * size_t(width) + size_t(x)) * size_t(planes)];
    }
    uint8* pixel(int32 y, int32 x) {
        return &bytes[(size_t(y) * size_t(width) + size_t(x)) * size_t(planes)];
    }
};

struct Settings {
    int32 radiation;
    int32 amount;
    int32 mist;
};

Image randomImage(std::mt19937& random, int32 width, int32 height, int32 planes) {
    Image image;
    image.width = width;
    image.height = height;
    image.planes = planes;
    image.bytes.resize(size_t(width) * size_t(height) * size_t(planes));
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint8& value : image.bytes) value = uint8(byte(random));
    return image;
}

Image uniformImage(int32 width, int32 height, int32 planes, uint8 value) {
    Image image;
    image.width = width;
    image.height = height;
    image.planes = planes;
    image.bytes.assign(size_t(width) * size_t(height) * size_t(planes), value);
    return image;
}

int32 clampTo(int32 value, int32 low, int32 high) { return std::min(std::max(value, low), high); }

int32 floorDivide(int32 numerator, int32 denominator) {
    int32 quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) --quotient;
    return quotient;
}

// RGB of the pixels of `area`, row by row, three bytes each.
using Rgb = std::vector<uint8>;

// The image with `margin` pixels added on every side, filled by repeating the
// nearest edge pixel (what a host does when it replicates the edges).
Image paddedImage(const Image& image, int32 margin) {
    Image padded;
    padded.width = image.width + 2 * margin;
    padded.height = image.height + 2 * margin;
    padded.planes = image.planes;
    padded.bytes.resize(size_t(padded.width) * size_t(padded.height) * size_t(image.planes));
    for (int32 y = 0; y < padded.height; ++y) {
        for (int32 x = 0; x < padded.width; ++x) {
            const uint8* source = image.pixel(clampTo(y - margin, 0, image.height - 1),
                                              clampTo(x - margin, 0, image.width - 1));
            std::memcpy(padded.pixel(y, x), source, size_t(image.planes));
        }
    }
    return padded;
}

// The effect computed the slow way: every box summed directly over the image with
// replicated edges, then mean, blend and tone table exactly as written.
Rgb referenceEffect(const Image& image, const Rect& area, int32 radius,
                    const EffectTables& tables) {
    // margin enough for the box, also around pixels of `area` outside the image
    int32 overshoot = std::max({0, -int32(area.top), -int32(area.left), area.bottom - image.height,
                                area.right - image.width});
    int32 margin = radius + overshoot;
    Image padded = paddedImage(image, margin);
    int32 windowArea = (2 * radius + 1) * (2 * radius + 1);
    Rgb result;
    for (int32 y = area.top; y < area.bottom; ++y) {
        for (int32 x = area.left; x < area.right; ++x) {
            int32 sums[3] = {0, 0, 0};
            for (int32 dy = -radius; dy <= radius; ++dy) {
                const uint8* neighbour = padded.pixel(y + dy + margin, x - radius + margin);
                for (int32 dx = -radius; dx <= radius; ++dx, neighbour += padded.planes) {
                    sums[0] += neighbour[0];
                    sums[1] += neighbour[1];
                    sums[2] += neighbour[2];
                }
            }
            const uint8* own =
                image.pixel(clampTo(y, 0, image.height - 1), clampTo(x, 0, image.width - 1));
            int32 weight = tables.amountTable[2 * own[0] + 5 * own[1] + own[2]];
            for (int32 k = 0; k < 3; ++k) {
                int32 mean = (sums[k] + windowArea / 2) / windowArea;
                int32 blended = own[k] + floorDivide((mean - own[k]) * weight, 1024);
                result.push_back(uint8(tables.mistTable[blended]));
            }
        }
    }
    return result;
}

Rgb inputOf(const Image& image, const Rect& area) {
    Rgb result;
    for (int32 y = area.top; y < area.bottom; ++y) {
        for (int32 x = area.left; x < area.right; ++x) {
            const uint8* own = image.pixel(y, x);
            result.insert(result.end(), own, own + 3);
        }
    }
    return result;
}

enum class Delivery { padded, clippedToImage };

struct Pass {
    Rect filterRect;            // sizes the work buffer
    Rect area;                  // walked in strips; inside filterRect in width
    std::vector<int32> strips;  // heights, summing to the area's height
    Delivery delivery = Delivery::padded;
    int32 rowSlack = 0;  // extra bytes at the end of every delivered row
};

Rect intersection(const Rect& a, const Rect& b) {
    Rect r{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
           std::min(a.right, b.right)};
    return r;
}

// A host that hands the kernel what setInputRect asked for: the whole rectangle
// with its outside filled by edge replication, or only the part inside the image.
struct HostBuffers {
    std::vector<uint8> in;
    std::vector<uint8> out;
};

void deliver(const Image& image, const Pass& pass, FilterRecord& record, HostBuffers& buffers) {
    Rect wanted = record.inRect;
    if (pass.delivery == Delivery::clippedToImage) {
        wanted = intersection(wanted, Rect{0, 0, int16(image.height), int16(image.width)});
    }
    record.inRect = wanted;
    int32 columns = wanted.right - wanted.left;
    int32 rows = wanted.bottom - wanted.top;
    int32 rowBytes = columns * image.planes + pass.rowSlack;
    // exactly as long as needed: an overrun past the last pixel is a heap overflow
    buffers.in.assign(size_t(rows - 1) * size_t(rowBytes) + size_t(columns * image.planes),
                      kUntouched);
    // the columns inside the image in one copy, the replicated ones pixel by pixel
    int32 insideFirst = clampTo(-wanted.left, 0, columns);
    int32 insideEnd = clampTo(image.width - wanted.left, insideFirst, columns);
    for (int32 row = 0; row < rows; ++row) {
        const uint8* source = image.pixel(clampTo(wanted.top + row, 0, image.height - 1), 0);
        uint8* line = &buffers.in[size_t(row) * size_t(rowBytes)];
        for (int32 column = 0; column < columns; ++column) {
            if (column == insideFirst && insideEnd > insideFirst) {
                std::memcpy(line + column * image.planes,
                            source + (wanted.left + column) * image.planes,
                            size_t(insideEnd - insideFirst) * size_t(image.planes));
                column = insideEnd - 1;
                continue;
            }
            int32 x = clampTo(wanted.left + column, 0, image.width - 1);
            std::memcpy(line + column * image.planes, source + x * image.planes,
                        size_t(image.planes));
        }
    }
    record.inData = buffers.in.data();
    record.inRowBytes = rowBytes;

    int32 outColumns = record.outRect.right - record.outRect.left;
    int32 outRows = record.outRect.bottom - record.outRect.top;
    int32 outRowBytes = outColumns * image.planes + pass.rowSlack;
    buffers.out.assign(
        size_t(outRows - 1) * size_t(outRowBytes) + size_t(outColumns * image.planes), kUntouched);
    record.outData = buffers.out.data();
    record.outRowBytes = outRowBytes;
}

// Collects bytes 0..2 of each output pixel and checks that nothing else changed.
void collect(const FilterRecord& record, const HostBuffers& buffers, int32 planes, Rgb& result) {
    int32 columns = record.outRect.right - record.outRect.left;
    int32 rows = record.outRect.bottom - record.outRect.top;
    int32 untouchedChanged = 0;
    for (int32 row = 0; row < rows; ++row) {
        const uint8* line = &buffers.out[size_t(row) * size_t(record.outRowBytes)];
        for (int32 column = 0; column < columns; ++column) {
            const uint8* pixel = line + column * planes;
            result.insert(result.end(), pixel, pixel + 3);
            for (int32 extra = 3; extra < planes; ++extra) {
                untouchedChanged += pixel[extra] != kUntouched;
            }
        }
        if (row + 1 < rows) {
            for (int32 slack = columns * planes; slack < record.outRowBytes; ++slack) {
                untouchedChanged += line[slack] != kUntouched;
            }
        }
    }
    EXPECT_EQ(untouchedChanged, 0) << "bytes beyond the third plane or past a row were written";
}

struct KernelUnderTest {
    const char* name;
    KernelChoice choice;
    VectorLevel level;
};

void PrintTo(const KernelUnderTest& kernel, std::ostream* stream) { *stream << kernel.name; }

class KernelTest : public ::testing::TestWithParam<KernelUnderTest> {
   protected:
    void SetUp() override {
        for (int32 index = 0; index < kSettingCount; ++index) saved[index] = getSetting(index);
        savedChoice = chosenKernel();
        chooseKernel(GetParam().choice);
        limitVectorLevel(GetParam().level);
    }
    void TearDown() override {
        finishEffect(nullptr);
        chooseKernel(savedChoice);
        limitVectorLevel(VectorLevel::widest);
        for (int32 index = 0; index < kSettingCount; ++index) setSetting(index, saved[index]);
    }

    // The optimised kernel takes every strip with 3 or 4 planes whose outRect was
    // delivered; a silent fallback would leave it untested.
    void expectKernelFor(int32 planes, bool inputCoversStrip) {
        bool optimised = GetParam().choice == KernelChoice::optimised && inputCoversStrip &&
                         (planes == 3 || planes == 4);
        EXPECT_EQ(kernelOfLastStrip(), optimised ? KernelChoice::optimised : KernelChoice::plain)
            << planes << " planes";
    }

    // Prepares the engine for a pass over filterRect at rate 1.0.
    void prepare(FilterRecord& record, const Rect& filterRect, int32 planes, Settings settings) {
        setSetting(kRadiation, settings.radiation);
        setSetting(kAmount, settings.amount);
        setSetting(kMist, settings.mist);
        record = FilterRecord{};
        record.filterRect = filterRect;
        record.planes = int16(planes);
        record.inputRate = kRateOne;
        workBuffer.assign(size_t(workBufferSize(&record)), 0x5C);
        attachWorkBuffer(&record, workBuffer.data());
        prepareEffect(&record);
    }

    // Runs the strips of a pass down pass.area, the way the filtering pass does.
    Rgb run(const Image& image, const Pass& pass, Settings settings) {
        FilterRecord record;
        prepare(record, pass.filterRect, image.planes, settings);
        Rgb result;
        int32 top = pass.area.top;
        for (int32 stripHeight : pass.strips) {
            record.outRect = {int16(top), pass.area.left, int16(top + stripHeight),
                              pass.area.right};
            setInputRect(&record);
            HostBuffers buffers;
            deliver(image, pass, record, buffers);
            EXPECT_TRUE(stripInputUsable(&record));
            bool covered = record.inRect.top <= record.outRect.top &&
                           record.inRect.left <= record.outRect.left &&
                           record.inRect.bottom >= record.outRect.bottom &&
                           record.inRect.right >= record.outRect.right;
            processStrip(&record);
            expectKernelFor(image.planes, covered);
            collect(record, buffers, image.planes, result);
            top += stripHeight;
        }
        finishEffect(&record);
        return result;
    }

    Rgb reference(const Image& image, const Rect& area, Settings settings) {
        EffectTables tables;
        deriveEffectTables(settings.radiation, settings.amount, settings.mist, kRateOne, &tables);
        return referenceEffect(image, area, int32(tables.radius), tables);
    }

    int32 saved[kSettingCount] = {};
    KernelChoice savedChoice = KernelChoice::optimised;
    std::vector<uint8> workBuffer;
};

std::vector<int32> randomStrips(std::mt19937& random, int32 height, int32 tallest) {
    std::vector<int32> strips;
    std::uniform_int_distribution<int32> pick(1, tallest);
    while (height > 0) {
        int32 strip = std::min(pick(random), height);
        strips.push_back(strip);
        height -= strip;
    }
    return strips;
}

std::vector<int32> stripsOf(int32 height, int32 stripHeight) {
    std::vector<int32> strips;
    for (int32 top = 0; top < height; top += stripHeight) {
        strips.push_back(std::min(stripHeight, height - top));
    }
    return strips;
}

// The Radiation setting whose radius at rate 1.0 is `radius`.
int32 radiationForRadius(int32 radius) {
    for (int32 radiation = 0; radiation <= 100; ++radiation) {
        if (radiusForRate(radiation, kRateOne) == uint32(radius)) return radiation;
    }
    ADD_FAILURE() << "no Radiation gives radius " << radius;
    return 0;
}

// A filter rectangle somewhere inside a random image, and the image.
struct Scene {
    Image image;
    Rect filterRect;
};

Scene randomScene(std::mt19937& random, int32 planes, int32 maxWidth, int32 maxHeight) {
    std::uniform_int_distribution<int32> width(1, maxWidth), height(1, maxHeight);
    Scene scene;
    scene.image = randomImage(random, width(random), height(random), planes);
    std::uniform_int_distribution<int32> left(0, scene.image.width - 1);
    std::uniform_int_distribution<int32> top(0, scene.image.height - 1);
    int32 x0 = left(random), y0 = top(random);
    std::uniform_int_distribution<int32> right(x0 + 1, scene.image.width);
    std::uniform_int_distribution<int32> bottom(y0 + 1, scene.image.height);
    scene.filterRect = {int16(y0), int16(x0), int16(bottom(random)), int16(right(random))};
    return scene;
}

TEST_P(KernelTest, MatchesReferenceForEveryRadiusWithThreeAndFourPlanes) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int32> setting(0, 100), slack(0, 5);
    for (int32 radius = kMinRadius; radius <= kMaxRadius; ++radius) {
        for (int32 planes : {3, 4}) {
            Scene scene = randomScene(random, planes, 20, 10);
            Settings settings{radiationForRadius(radius), setting(random), setting(random)};
            Pass pass;
            pass.filterRect = scene.filterRect;
            pass.area = scene.filterRect;
            pass.strips = randomStrips(random, scene.filterRect.bottom - scene.filterRect.top, 5);
            pass.rowSlack = slack(random);
            ASSERT_EQ(run(scene.image, pass, settings), reference(scene.image, pass.area, settings))
                << "radius " << radius << " planes " << planes;
        }
    }
}

TEST_P(KernelTest, MatchesReferenceOnRandomImagesAndSettings) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int32> setting(0, 100), planes(3, 5), smallRadiation(0, 20);
    for (int32 trial = 0; trial < 60; ++trial) {
        Scene scene = randomScene(random, planes(random), 70, 50);
        // mostly small boxes, so that the image has an interior
        int32 radiation = trial % 3 == 0 ? setting(random) : smallRadiation(random);
        Settings settings{radiation, setting(random), setting(random)};
        Pass pass;
        pass.filterRect = scene.filterRect;
        pass.area = scene.filterRect;
        pass.strips = randomStrips(random, scene.filterRect.bottom - scene.filterRect.top, 40);
        ASSERT_EQ(run(scene.image, pass, settings), reference(scene.image, pass.area, settings))
            << "trial " << trial;
    }
}

TEST_P(KernelTest, StripHeightsDoNotChangeOutput) {
    std::mt19937 random(7);
    Image image = randomImage(random, 48, 64, 3);
    Rect whole{0, 0, 64, 48};
    for (int32 radiation : {0, 13, 100}) {
        Settings settings{radiation, 80, 20};
        Pass pass{whole, whole, {64}};
        Rgb oneStrip = run(image, pass, settings);
        for (int32 trial = 0; trial < 3; ++trial) {
            pass.strips = randomStrips(random, 64, 33);
            EXPECT_EQ(run(image, pass, settings), oneStrip) << "Radiation " << radiation;
        }
        pass.strips = stripsOf(64, 1);
        EXPECT_EQ(run(image, pass, settings), oneStrip) << "one-row strips";
        pass.strips = stripsOf(64, 32);
        EXPECT_EQ(run(image, pass, settings), oneStrip) << "strips of 32";
    }
}

TEST_P(KernelTest, ClippedInputGivesTheSameOutputAsReplicatedMargins) {
    std::mt19937 random(31);
    std::uniform_int_distribution<int32> setting(0, 100);
    for (int32 trial = 0; trial < 30; ++trial) {
        Scene scene = randomScene(random, 3 + trial % 2, 40, 30);
        Settings settings{setting(random), setting(random), setting(random)};
        Pass pass;
        pass.filterRect = scene.filterRect;
        pass.area = scene.filterRect;
        pass.strips = randomStrips(random, scene.filterRect.bottom - scene.filterRect.top, 12);
        Rgb padded = run(scene.image, pass, settings);
        pass.delivery = Delivery::clippedToImage;
        Rgb clipped = run(scene.image, pass, settings);
        ASSERT_EQ(clipped, padded) << "trial " << trial;
        ASSERT_EQ(clipped, reference(scene.image, pass.area, settings)) << "trial " << trial;
    }
}

TEST_P(KernelTest, ClippedInputAtEveryRadiusMatchesReference) {
    std::mt19937 random(4321);
    for (int32 radius = kMinRadius; radius <= kMaxRadius; radius += 5) {
        Scene scene = randomScene(random, 3, 30, 20);
        Settings settings{radiationForRadius(radius), 100, 10};
        Pass pass{scene.filterRect, scene.filterRect, {}, Delivery::clippedToImage, 3};
        pass.strips = randomStrips(random, scene.filterRect.bottom - scene.filterRect.top, 6);
        ASSERT_EQ(run(scene.image, pass, settings), reference(scene.image, pass.area, settings))
            << "radius " << radius;
    }
}

// The preview walks a strip narrower than the filter rectangle that sized the buffer.
TEST_P(KernelTest, StripsNarrowerThanFilterRectMatchReference) {
    std::mt19937 random(5);
    Image image = randomImage(random, 80, 30, 4);
    Settings settings{30, 70, 40};
    for (int32 width : {1, 2, 17, 79, 80}) {
        Pass pass;
        pass.filterRect = {0, 0, 30, 80};
        pass.area = {3, int16(80 - width), 30, 80};
        pass.strips = randomStrips(random, 27, 9);
        EXPECT_EQ(run(image, pass, settings), reference(image, pass.area, settings))
            << "width " << width;
    }
}

TEST_P(KernelTest, OnePixelWideAndOneRowStripsMatchReference) {
    std::mt19937 random(11);
    Image image = randomImage(random, 40, 40, 3);
    for (int32 radiation : {0, 40, 100}) {
        Settings settings{radiation, 100, 0};
        Pass column{{0, 0, 40, 40}, {0, 20, 40, 21}, stripsOf(40, 7)};
        EXPECT_EQ(run(image, column, settings), reference(image, column.area, settings));
        Pass rows{{0, 0, 40, 40}, {10, 0, 13, 40}, {1, 1, 1}};
        EXPECT_EQ(run(image, rows, settings), reference(image, rows.area, settings));
        Pass single{{5, 5, 6, 6}, {5, 5, 6, 6}, {1}};
        EXPECT_EQ(run(image, single, settings), reference(image, single.area, settings));
    }
}

TEST_P(KernelTest, UniformImageComesOutAsToneTableOfItsValue) {
    for (int32 value : {0, 1, 77, 128, 254, 255}) {
        Image image = uniformImage(50, 20, 3, uint8(value));
        for (int32 radiation : {0, 60, 100}) {
            Settings settings{radiation, 100, 73};
            EffectTables tables;
            deriveEffectTables(settings.radiation, settings.amount, settings.mist, kRateOne,
                               &tables);
            Pass pass{{0, 0, 20, 50}, {0, 0, 20, 50}, stripsOf(20, 6)};
            Rgb expected(size_t(20 * 50 * 3), uint8(tables.mistTable[value]));
            EXPECT_EQ(run(image, pass, settings), expected) << "value " << value;
        }
    }
}

TEST_P(KernelTest, AmountZeroAppliesOnlyTheToneTable) {
    std::mt19937 random(3);
    Image image = randomImage(random, 33, 21, 3);
    Rect whole{0, 0, 21, 33};
    Pass pass{whole, whole, stripsOf(21, 8)};
    Settings toned{100, 0, 90};
    EffectTables tables;
    deriveEffectTables(toned.radiation, toned.amount, toned.mist, kRateOne, &tables);
    Rgb expected = inputOf(image, whole);
    for (uint8& value : expected) value = uint8(tables.mistTable[value]);
    EXPECT_EQ(run(image, pass, toned), expected);
    EXPECT_EQ(run(image, pass, Settings{100, 0, 0}), inputOf(image, whole));
}

TEST_P(KernelTest, WhitePixelsStayWhite) {
    std::mt19937 random(8);
    Image image = randomImage(random, 30, 30, 3);
    for (int32 y = 0; y < 30; y += 3) {
        for (int32 x = (y / 3) % 4; x < 30; x += 4) std::memset(image.pixel(y, x), 255, 3);
    }
    Rect whole{0, 0, 30, 30};
    Pass pass{whole, whole, stripsOf(30, 7)};
    Rgb output = run(image, pass, Settings{25, 100, 50});
    for (int32 y = 0; y < 30; y += 3) {
        for (int32 x = (y / 3) % 4; x < 30; x += 4) {
            const uint8* pixel = &output[size_t(y * 30 + x) * 3];
            EXPECT_EQ(pixel[0] & pixel[1] & pixel[2], 255) << y << "," << x;
        }
    }
}

// Worked values with a 3 x 3 box: a channel one level above its box mean moves down
// by one for the smallest weight; one level below it does not move.
TEST_P(KernelTest, OneLevelFromTheMeanRoundsTowardMinusInfinity) {
    for (int32 centre : {254, 252}) {
        Image image = uniformImage(3, 3, 3, 255);
        for (int32 y = 0; y < 3; ++y) {
            for (int32 x = 0; x < 3; ++x) image.pixel(y, x)[2] = 253;
        }
        image.pixel(1, 1)[2] = uint8(centre);
        Pass pass{{0, 0, 3, 3}, {1, 1, 2, 2}, {1}};
        Rgb output = run(image, pass, Settings{0, 100, 0});
        EXPECT_EQ(output, (Rgb{255, 255, uint8(centre == 254 ? 253 : 252)})) << centre;
    }
}

TEST_P(KernelTest, BlackPixelAtFullAmountBecomesItsRoundedBoxMean) {
    Image image = uniformImage(3, 3, 3, 0);
    const uint8 ring[8] = {10, 20, 30, 40, 50, 60, 70, 80};  // sum 360, mean 40 of nine
    int32 index = 0;
    for (int32 y = 0; y < 3; ++y) {
        for (int32 x = 0; x < 3; ++x) {
            if (y == 1 && x == 1) continue;
            std::memset(image.pixel(y, x), ring[index++], 3);
        }
    }
    // the centre stays pure black: luminance index 0, weight 1024
    Pass pass{{0, 0, 3, 3}, {1, 1, 2, 2}, {1}};
    EXPECT_EQ(run(image, pass, Settings{0, 100, 0}), (Rgb{40, 40, 40}));
}

TEST_P(KernelTest, FourthPlaneIsNeverWritten) {
    std::mt19937 random(21);
    Image image = randomImage(random, 25, 25, 4);
    Rect whole{0, 0, 25, 25};
    Pass pass{whole, whole, stripsOf(25, 4), Delivery::padded, 2};
    // collect() counts every changed fourth-plane byte and row-padding byte
    Rgb output = run(image, pass, Settings{40, 100, 30});
    EXPECT_EQ(output, reference(image, whole, Settings{40, 100, 30}));
}

// A host that clips inRect to the image delivers rows that end exactly at the last
// pixel; wide loads near the right edge of the last row must stop there (any read
// past the delivered block is a heap overflow under the address sanitizer).
TEST_P(KernelTest, ClippedDeliveryIsNeverReadPastItsEnd) {
    std::mt19937 random(29);
    for (int32 planes : {3, 4}) {
        for (int32 width = 1; width <= 26; ++width) {
            Image image = randomImage(random, width, 5, planes);
            Rect whole{0, 0, 5, int16(width)};
            Pass pass{whole, whole, {2, 3}, Delivery::clippedToImage, 0};
            Settings settings{0, 100, 0};
            EXPECT_EQ(run(image, pass, settings), reference(image, whole, settings)) << width;
        }
    }
}

// The preview at a reduced rate can ask for an outRect that reaches a row or column
// past the sampled image; a host that clips inRect to the image then delivers less
// than outRect, and the missing pixels read as the nearest delivered ones.
TEST_P(KernelTest, OutRectPastTheDeliveredInputReadsItsNearestEdge) {
    std::mt19937 random(23);
    Image image = randomImage(random, 30, 20, 3);
    for (Rect area : {Rect{5, 10, 24, 33}, Rect{0, 29, 20, 31}, Rect{19, 0, 21, 30}}) {
        Pass pass{{0, 0, 24, 33}, area, {area.bottom - area.top}, Delivery::clippedToImage, 1};
        Settings settings{40, 100, 20};
        EXPECT_EQ(run(image, pass, settings), reference(image, area, settings))
            << area.top << "," << area.left << "," << area.bottom << "," << area.right;
    }
}

// A strip that does not continue the walk (rows skipped, or taken out of order)
// starts the column sums afresh instead of carrying stale ones.
TEST_P(KernelTest, StripThatDoesNotFollowThePreviousOneIsStillRight) {
    std::mt19937 random(17);
    Image image = randomImage(random, 30, 60, 3);
    Settings settings{20, 90, 10};
    FilterRecord record;
    prepare(record, Rect{0, 0, 60, 30}, 3, settings);
    Pass pass{{0, 0, 60, 30}, {0, 0, 60, 30}, {}};
    for (Rect strip : {Rect{20, 0, 30, 30}, Rect{0, 0, 10, 30}, Rect{40, 0, 50, 30},
                       Rect{50, 0, 60, 30}, Rect{50, 2, 60, 28}}) {
        record.outRect = strip;
        setInputRect(&record);
        HostBuffers buffers;
        deliver(image, pass, record, buffers);
        processStrip(&record);
        Rgb output;
        collect(record, buffers, 3, output);
        EXPECT_EQ(output, reference(image, strip, settings)) << strip.top << "," << strip.left;
    }
}

TEST_P(KernelTest, StripWithNoRowsWritesNothing) {
    FilterRecord record;
    prepare(record, Rect{0, 0, 10, 10}, 3, Settings{50, 50, 0});
    record.outRect = {4, 0, 4, 10};
    setInputRect(&record);
    record.inData = nullptr;
    record.outData = nullptr;
    EXPECT_TRUE(stripInputUsable(&record));
    processStrip(&record);  // must not touch the missing buffers
    EXPECT_FALSE(columnSumsValid());
}

struct HostileCase {
    const char* what;
    void (*spoil)(FilterRecord& record);
};

const HostileCase kHostileCases[] = {
    {"inRect shifted off outRect",
     [](FilterRecord& r) {
         r.inRect.left += 200;
         r.inRect.right += 200;
     }},
    {"inRect above outRect", [](FilterRecord& r) { r.inRect.bottom = r.outRect.top; }},
    {"inRect right of outRect", [](FilterRecord& r) { r.inRect.left = r.outRect.right; }},
    {"inRect inside out", [](FilterRecord& r) { std::swap(r.inRect.left, r.inRect.right); }},
    {"inRect empty",
     [](FilterRecord& r) {
         r.inRect = Rect{0, 0, 0, 0};
     }},
    {"no inData", [](FilterRecord& r) { r.inData = nullptr; }},
    {"no outData", [](FilterRecord& r) { r.outData = nullptr; }},
    {"two planes", [](FilterRecord& r) { r.planes = 2; }},
    {"inRowBytes short", [](FilterRecord& r) { r.inRowBytes -= 1; }},
    {"outRowBytes negative", [](FilterRecord& r) { r.outRowBytes = -r.outRowBytes; }},
    {"strip wider than the buffer",
     [](FilterRecord& r) { r.filterRect.right = r.filterRect.left + 5; }},
};

// A host that delivers less than the strip needs gets nothing written and no
// read outside what it delivered; the next proper strip is right again.
TEST_P(KernelTest, UnusableDeliveryWritesNothingAndReadsNothingOutside) {
    std::mt19937 random(13);
    Image image = randomImage(random, 40, 40, 3);
    Settings settings{30, 100, 30};
    Pass pass{{0, 0, 40, 40}, {0, 0, 40, 40}, {}};
    for (const HostileCase& hostile : kHostileCases) {
        FilterRecord record;
        Rect filterRect{0, 0, 40, 40};
        prepare(record, filterRect, 3, settings);
        FilterRecord spoiledSizing{};
        spoiledSizing.filterRect = filterRect;
        hostile.spoil(spoiledSizing);
        // the work buffer is sized by a possibly narrower filterRect
        workBuffer.assign(size_t(workBufferSize(&spoiledSizing)), 0);
        attachWorkBuffer(&spoiledSizing, workBuffer.data());
        prepareEffect(&record);

        record.outRect = {0, 0, 10, 40};
        setInputRect(&record);
        HostBuffers buffers;
        deliver(image, pass, record, buffers);
        hostile.spoil(record);
        std::vector<uint8> before = buffers.out;
        EXPECT_FALSE(stripInputUsable(&record)) << hostile.what;
        processStrip(&record);
        EXPECT_EQ(buffers.out, before) << hostile.what;
        EXPECT_FALSE(columnSumsValid()) << hostile.what;

        // the next strip, delivered properly into a buffer wide enough, is right
        record.filterRect = filterRect;
        workBuffer.assign(size_t(workBufferSize(&record)), 0);
        attachWorkBuffer(&record, workBuffer.data());
        record.planes = 3;
        record.outRect = {10, 0, 20, 40};
        setInputRect(&record);
        deliver(image, pass, record, buffers);
        processStrip(&record);
        Rgb output;
        collect(record, buffers, 3, output);
        EXPECT_EQ(output, reference(image, record.outRect, settings)) << hostile.what;
    }
}

// The optimised kernel with every set of vector rows this build has.
const KernelUnderTest kKernelsUnderTest[] = {
#if defined(__x86_64__) || defined(__i386__)
    {"Optimised", KernelChoice::optimised, VectorLevel::widest},
    {"OptimisedAvx2", KernelChoice::optimised, VectorLevel::avx2},
    {"OptimisedSse2", KernelChoice::optimised, VectorLevel::baseline},
#elif defined(__aarch64__)
    {"OptimisedNeon", KernelChoice::optimised, VectorLevel::widest},
#endif
    {"Plain", KernelChoice::plain, VectorLevel::widest},
};

INSTANTIATE_TEST_SUITE_P(
    EveryKernel, KernelTest, ::testing::ValuesIn(kKernelsUnderTest),
    [](const ::testing::TestParamInfo<KernelUnderTest>& info) { return info.param.name; });

// Each limit really selects its routines, so that the parameterised tests above
// cover every instruction set that this processor has.
TEST(VectorLevel, LimitSelectsTheRoutines) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    bool avx2 = __builtin_cpu_supports("avx2");
    bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                  __builtin_cpu_supports("avx512vl");
    limitVectorLevel(VectorLevel::baseline);
    EXPECT_STREQ(vectorLevelName(), "SSE2");
    limitVectorLevel(VectorLevel::avx2);
    EXPECT_STREQ(vectorLevelName(), avx2 ? "AVX2" : "SSE2");
    limitVectorLevel(VectorLevel::widest);
    EXPECT_STREQ(vectorLevelName(), avx512 ? "AVX-512" : (avx2 ? "AVX2" : "SSE2"));
#elif defined(__aarch64__)
    for (VectorLevel level : {VectorLevel::baseline, VectorLevel::avx2, VectorLevel::widest}) {
        limitVectorLevel(level);
        EXPECT_STREQ(vectorLevelName(), "NEON");
    }
#else
    EXPECT_STREQ(vectorLevelName(), "none");
#endif
}

TEST(InputRect, GrowsOutRectBy96BeforeAnd97After) {
    FilterRecord record{};
    record.outRect = {32, 10, 64, 300};
    setInputRect(&record);
    EXPECT_EQ(record.inRect.top, 32 - 96);
    EXPECT_EQ(record.inRect.left, 10 - 96);
    EXPECT_EQ(record.inRect.bottom, 64 + 97);
    EXPECT_EQ(record.inRect.right, 300 + 97);
}

TEST(InputRect, ClampsToTheCoordinateRangeInsteadOfWrapping) {
    FilterRecord record{};
    record.outRect = {-32700, -32760, 32700, 32767};
    setInputRect(&record);
    EXPECT_EQ(record.inRect.top, -32768);
    EXPECT_EQ(record.inRect.left, -32768);
    EXPECT_EQ(record.inRect.bottom, 32767);
    EXPECT_EQ(record.inRect.right, 32767);
}

}  // namespace
