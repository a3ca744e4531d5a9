// Seeded random, damaged and truncated images and host blocks through the
// readers: under the sanitizers none may trap or read past its bytes, and what
// they accept always clamps into range.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"
#include "platform/win/settings_path.h"

namespace {

constexpr uint32 kSeed = 7031u;
constexpr int kRounds = 20000;

ParameterFileImage validImage(std::mt19937& random) {
    ParameterBlockHeader header{kBlockSignature, kBlockKind,  kBlockVersion,
                                kBlockTag,       kBlockLevel, kSavedFileStamp};
    ParameterSet set;
    fillDefaultSet(set);
    set.name[0] = uint8(random() % 256);
    for (int32& setting : set.settings) setting = int32(random());
    return encodeBlock(header, set);
}

TEST(ParamsRandomInput, DamagedImagesDecodeSafelyAndClampIntoRange) {
    std::mt19937 random(kSeed);
    int accepted = 0;
    for (int round = 0; round < kRounds; ++round) {
        ParameterFileImage image = validImage(random);
        const int flips = int(random() % 8);
        for (int flip = 0; flip < flips; ++flip) {
            // Damage the tested header more often than the rest.
            const int32 offset = random() % 3 == 0 ? int32(random() % 12) : int32(random() % 300);
            image.bytes[offset] = uint8(random());
        }
        const int32 count = random() % 4 == 0 ? int32(random() % 301) : 300;
        ParameterSet set;
        fillDefaultSet(set);
        int32 stamp = 0;
        if (decodeImage(image, count, stamp, set)) {
            ++accepted;
            ASSERT_EQ(count, 300);
            clampSettings(set);
            for (int32 setting : set.settings) {
                ASSERT_GE(setting, 0);
                ASSERT_LE(setting, 100);
            }
        }
    }
    EXPECT_GT(accepted, 0);  // the loop did reach the accepting path
}

TEST(ParamsRandomInput, TruncatedImagesOnTheHeapAreRejected) {
    std::mt19937 random(kSeed + 1);
    for (int round = 0; round < kRounds / 10; ++round) {
        const ParameterFileImage full = validImage(random);
        const int32 count = int32(random() % 300);
        // The image record is always 300 bytes; the count says how many came from the file.
        ParameterFileImage read;
        std::memset(read.bytes, 0, sizeof read.bytes);
        std::memcpy(read.bytes, full.bytes, size_t(count));
        ParameterSet set;
        fillDefaultSet(set);
        int32 stamp = 0;
        ASSERT_FALSE(decodeImage(read, count, stamp, set));
    }
}

TEST(ParamsRandomInput, HostBlocksOfAnySizeAreCheckedBeforeUse) {
    std::mt19937 random(kSeed + 2);
    for (int round = 0; round < kRounds; ++round) {
        const size_t size = random() % 2 == 0 ? random() % 600 : 300;
        std::vector<uint8> bytes(size);
        for (uint8& byte : bytes) byte = uint8(random());
        if (size >= 4 && random() % 2 == 0) std::memcpy(bytes.data(), &kBlockSignature, 4);
        if (!blockIsOurs(bytes.data(), int32(size))) continue;
        ASSERT_GE(size, 300u);
        ParameterBlock block;
        std::memcpy(&block, bytes.data(), sizeof block);
        clampSettings(block.body);
        ParameterSet current;
        copyParameterSet(block.body, current);
        for (int32 setting : current.settings) {
            ASSERT_GE(setting, 0);
            ASSERT_LE(setting, 100);
        }
    }
}

TEST(ParamsRandomInput, AnyDirectoryAndNameGivePathWithin255) {
    std::mt19937 random(kSeed + 3);
    for (int round = 0; round < kRounds / 4; ++round) {
        std::vector<char> directory(random() % 300 + 1, '\0');
        for (size_t i = 0; i + 1 < directory.size(); ++i) directory[i] = char(1 + random() % 255);
        std::vector<char> name(random() % 60 + 1, '\0');
        for (size_t i = 0; i + 1 < name.size(); ++i) name[i] = char(1 + random() % 255);
        const SettingsFilePaths paths = buildSettingsFilePath(directory.data(), name.data());
        ASSERT_EQ(paths.file[paths.file[0] + 1], 0);
        ASSERT_EQ(std::strlen(pathText(paths.file)), size_t(paths.file[0]));
    }
}

}  // namespace
