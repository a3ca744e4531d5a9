// The defaults of a new block and of the working set, the clamp of the three
// settings, the copy of a parameter set, and the test of a host block.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "params/current_parameters.h"
#include "params/parameter_defaults.h"

namespace {

std::string nameOf(const ParameterSet& set) {
    return std::string(reinterpret_cast<const char*>(set.name + 1), set.name[0]);
}

void expectDefaultSet(const ParameterSet& set) {
    EXPECT_EQ(set.showDialog, 1);
    EXPECT_EQ(nameOf(set), "Untitled parameters");
    EXPECT_EQ(set.name[0], 19);
    EXPECT_EQ(set.settings[kRadiation], 50);
    EXPECT_EQ(set.settings[kAmount], 50);
    EXPECT_EQ(set.settings[kMist], 0);
}

TEST(ParamsDefaults, NewBlockCarriesHeaderAndDefaults) {
    ParameterBlock block;
    std::memset(&block, 0xA5, sizeof block);
    fillDefaultBlock(block);
    EXPECT_EQ(block.header.signature, fourCharCode("Lmvl"));
    EXPECT_EQ(block.header.kind, fourCharCode("Prms"));
    EXPECT_EQ(block.header.version, 3);
    EXPECT_EQ(block.header.tag, fourCharCode("std "));
    EXPECT_EQ(block.header.level, 100);
    EXPECT_EQ(block.header.stamp, 1684);
    expectDefaultSet(block.body);
    // The reserved bytes are neither read nor written.
    for (uint8 byte : block.reserved) EXPECT_EQ(byte, 0xA5);
}

TEST(ParamsDefaults, NewBlockSignatureLiesInNativeOrder) {
    ParameterBlock block;
    fillDefaultBlock(block);
    const uint8* bytes = reinterpret_cast<const uint8*>(&block);
    // Little-endian in the host's handle: the first character in the most significant byte.
    EXPECT_EQ(bytes[0], 'l');
    EXPECT_EQ(bytes[1], 'v');
    EXPECT_EQ(bytes[2], 'm');
    EXPECT_EQ(bytes[3], 'L');
}

TEST(ParamsDefaults, ResetPutsDefaultsIntoCurrentParameters) {
    ParameterSet& current = currentParameters();
    current.showDialog = 0;
    current.name[0] = 3;
    std::memcpy(current.name + 1, "abc", 3);
    current.settings[kRadiation] = 10;
    current.settings[kAmount] = 20;
    current.settings[kMist] = 30;
    resetCurrentParameters();
    expectDefaultSet(currentParameters());
}

struct ClampCase {
    int32 radiation, amount, mist;
    int32 expectedRadiation, expectedAmount, expectedMist;
};

class ParamsClampSettings : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ParamsClampSettings, LimitsEachSettingTo0Through100) {
    const ClampCase& c = GetParam();
    ParameterSet set;
    fillDefaultSet(set);
    set.showDialog = 7;
    set.settings[kRadiation] = c.radiation;
    set.settings[kAmount] = c.amount;
    set.settings[kMist] = c.mist;
    clampSettings(set);
    EXPECT_EQ(set.settings[kRadiation], c.expectedRadiation);
    EXPECT_EQ(set.settings[kAmount], c.expectedAmount);
    EXPECT_EQ(set.settings[kMist], c.expectedMist);
    EXPECT_EQ(set.showDialog, 7);
    EXPECT_EQ(nameOf(set), "Untitled parameters");
}

INSTANTIATE_TEST_SUITE_P(Cases, ParamsClampSettings,
                         ::testing::Values(ClampCase{30, 250, -3, 30, 100, 0},
                                           ClampCase{150, 50, -5, 100, 50, 0},
                                           ClampCase{0, 100, 50, 0, 100, 50},
                                           ClampCase{-1, 101, 99, 0, 100, 99},
                                           ClampCase{INT32_MIN, INT32_MAX, 1, 0, 100, 1},
                                           ClampCase{50, 120, 0, 50, 100, 0}));

TEST(ParamsCopyParameterSet, CopiesFlagNameAndSettings) {
    ParameterSet from;
    fillDefaultSet(from);
    from.showDialog = 0;
    from.name[0] = 5;
    std::memcpy(from.name + 1, "a.prm", 5);
    from.settings[kRadiation] = 20;
    from.settings[kAmount] = 40;
    from.settings[kMist] = 60;

    ParameterSet to;
    fillDefaultSet(to);
    copyParameterSet(from, to);
    EXPECT_EQ(to.showDialog, 0);
    EXPECT_EQ(nameOf(to), "a.prm");
    EXPECT_EQ(to.settings[kRadiation], 20);
    EXPECT_EQ(to.settings[kAmount], 40);
    EXPECT_EQ(to.settings[kMist], 60);
    // n + 1 bytes of name: the rest of the earlier name is still there.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(to.name + 6), 14), "led parameters");
}

TEST(ParamsCopyParameterSet, DoesNotClamp) {
    ParameterSet from;
    fillDefaultSet(from);
    from.settings[kAmount] = 120;
    ParameterSet to;
    fillDefaultSet(to);
    copyParameterSet(from, to);
    EXPECT_EQ(to.settings[kAmount], 120);
}

std::vector<uint8> blockBytes(int32 size) {
    ParameterBlock block;
    fillDefaultBlock(block);
    std::vector<uint8> bytes(size_t(size), 0);
    std::memcpy(bytes.data(), &block, std::min(size_t(size), sizeof block));
    return bytes;
}

TEST(ParamsBlockIsOurs, AcceptsBlockOfAtLeast300Bytes) {
    EXPECT_TRUE(blockIsOurs(blockBytes(300).data(), 300));
    EXPECT_TRUE(blockIsOurs(blockBytes(4096).data(), 4096));
}

TEST(ParamsBlockIsOurs, AcceptsSignatureWhenHostWasNotAskedForSize) {
    EXPECT_TRUE(blockIsOurs(blockBytes(300).data(), kBlockSizeUnknown));
}

TEST(ParamsBlockIsOurs, RejectsShortHandle) {
    std::vector<uint8> bytes = blockBytes(299);
    EXPECT_FALSE(blockIsOurs(bytes.data(), 299));
    EXPECT_FALSE(blockIsOurs(bytes.data(), 4));
    EXPECT_FALSE(blockIsOurs(bytes.data(), 0));
    EXPECT_FALSE(blockIsOurs(bytes.data(), -2));
}

TEST(ParamsBlockIsOurs, RejectsForeignSignatureAndNull) {
    std::vector<uint8> bytes = blockBytes(300);
    bytes[0] ^= 0x20;
    EXPECT_FALSE(blockIsOurs(bytes.data(), 300));
    EXPECT_FALSE(blockIsOurs(nullptr, 300));
    EXPECT_FALSE(blockIsOurs(nullptr, kBlockSizeUnknown));
}

TEST(ParamsBlockIsOurs, RejectsBigEndianSignature) {
    // A file image's byte order in the handle is not our block.
    std::vector<uint8> bytes = blockBytes(300);
    std::memcpy(bytes.data(), "Lmvl", 4);
    EXPECT_FALSE(blockIsOurs(bytes.data(), 300));
}

}  // namespace
