// The 300-byte big-endian file image: exact bytes, round trips, and what a
// reader accepts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "params/parameter_defaults.h"
#include "params/parameter_file_codec.h"

namespace {

ParameterBlockHeader savedFileHeader() {
    return ParameterBlockHeader{kBlockSignature, kBlockKind,  kBlockVersion,
                                kBlockTag,       kBlockLevel, kSavedFileStamp};
}

ParameterSet setWith(int32 radiation, int32 amount, int32 mist) {
    ParameterSet set;
    fillDefaultSet(set);
    set.settings[kRadiation] = radiation;
    set.settings[kAmount] = amount;
    set.settings[kMist] = mist;
    return set;
}

std::vector<uint8> bytesOf(const ParameterFileImage& image, int32 from, int32 to) {
    return std::vector<uint8>(image.bytes + from, image.bytes + to);
}

std::vector<uint8> textBytes(const char* text) {
    return std::vector<uint8>(text, text + std::strlen(text));
}

TEST(ParamsFileCodec, SavedFileHasExactHeaderFlagAndSettingsBytes) {
    const ParameterFileImage image = encodeBlock(savedFileHeader(), setWith(30, 70, 10));
    const std::vector<uint8> expectedHeader = {'L',  'm',  'v',  'l',  'P',  'r',  'm',  's',
                                               0x00, 0x00, 0x00, 0x03, 's',  't',  'd',  ' ',
                                               0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x06, 0x95};
    EXPECT_EQ(bytesOf(image, 0, 24), expectedHeader);
    EXPECT_EQ(bytesOf(image, 24, 28), (std::vector<uint8>{0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(bytesOf(image, 284, 296), (std::vector<uint8>{0x00, 0x00, 0x00, 0x1E, 0x00, 0x00,
                                                            0x00, 0x46, 0x00, 0x00, 0x00, 0x0A}));
    EXPECT_EQ(bytesOf(image, 296, 300), (std::vector<uint8>{0, 0, 0, 0}));
    EXPECT_EQ(sizeof image.bytes, 300u);
}

TEST(ParamsFileCodec, NameTakesLengthByteAndCharactersThenZeros) {
    const ParameterFileImage image = encodeBlock(savedFileHeader(), setWith(30, 70, 10));
    EXPECT_EQ(image.bytes[28], 19);
    EXPECT_EQ(bytesOf(image, 29, 48), textBytes("Untitled parameters"));
    EXPECT_EQ(bytesOf(image, 48, 284), std::vector<uint8>(236, 0));
}

TEST(ParamsFileCodec, EncodeIgnoresNameBytesPastTheLength) {
    ParameterSet set = setWith(1, 2, 3);
    std::memset(set.name, 'x', sizeof set.name);
    set.name[0] = 2;
    const ParameterFileImage image = encodeBlock(savedFileHeader(), set);
    EXPECT_EQ(bytesOf(image, 28, 31), (std::vector<uint8>{2, 'x', 'x'}));
    EXPECT_EQ(bytesOf(image, 31, 284), std::vector<uint8>(253, 0));
}

TEST(ParamsFileCodec, FileNameOverwritesStartOfTheNameField) {
    ParameterFileImage image = encodeBlock(savedFileHeader(), setWith(30, 70, 10));
    const uint8 fileName[] = {5, 'a', '.', 'p', 'r', 'm'};
    overwriteImageName(image, fileName);
    EXPECT_EQ(image.bytes[28], 5);
    EXPECT_EQ(bytesOf(image, 29, 34), textBytes("a.prm"));
    EXPECT_EQ(bytesOf(image, 34, 48), textBytes("led parameters"));
    EXPECT_EQ(bytesOf(image, 48, 284), std::vector<uint8>(236, 0));
    // Nothing outside the name field moves.
    EXPECT_EQ(bytesOf(image, 24, 28), (std::vector<uint8>{0, 0, 0, 1}));
    EXPECT_EQ(bytesOf(image, 284, 288), (std::vector<uint8>{0, 0, 0, 0x1E}));
}

TEST(ParamsFileCodec, NegativeAndLargeValuesAreBigEndianTwosComplement) {
    ParameterBlockHeader header = savedFileHeader();
    header.stamp = -2;
    ParameterSet set = setWith(-3, 0x01020304, INT32_MIN);
    set.showDialog = -1;
    const ParameterFileImage image = encodeBlock(header, set);
    EXPECT_EQ(bytesOf(image, 20, 28),
              (std::vector<uint8>{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bytesOf(image, 284, 296), (std::vector<uint8>{0xFF, 0xFF, 0xFF, 0xFD, 0x01, 0x02,
                                                            0x03, 0x04, 0x80, 0x00, 0x00, 0x00}));
}

struct RoundTripCase {
    int32 showDialog;
    std::string name;
    int32 radiation, amount, mist;
    int32 stamp;
};

class ParamsFileCodecRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ParamsFileCodecRoundTrip, DecodeGivesBackWhatWasEncoded) {
    const RoundTripCase& c = GetParam();
    ParameterBlockHeader header = savedFileHeader();
    header.stamp = c.stamp;
    ParameterSet set = setWith(c.radiation, c.amount, c.mist);
    set.showDialog = c.showDialog;
    set.name[0] = uint8(c.name.size());
    std::memcpy(set.name + 1, c.name.data(), c.name.size());

    const ParameterFileImage image = encodeBlock(header, set);
    ParameterSet decoded;
    std::memset(&decoded, 0, sizeof decoded);
    int32 stamp = 0;
    ASSERT_TRUE(decodeImage(image, 300, stamp, decoded));
    EXPECT_EQ(stamp, c.stamp);
    EXPECT_EQ(decoded.showDialog, c.showDialog);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(decoded.name + 1), decoded.name[0]),
              c.name);
    EXPECT_EQ(decoded.settings[kRadiation], c.radiation);
    EXPECT_EQ(decoded.settings[kAmount], c.amount);
    EXPECT_EQ(decoded.settings[kMist], c.mist);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParamsFileCodecRoundTrip,
    ::testing::Values(RoundTripCase{1, "Untitled parameters", 30, 70, 10, 1685},
                      RoundTripCase{0, "a.prm", 20, 40, 60, 1684}, RoundTripCase{0, "", 0, 0, 0, 0},
                      RoundTripCase{1, std::string(255, 'n'), 100, 100, 100, -1},
                      RoundTripCase{-7, "look.prm", 250, -3, INT32_MAX, INT32_MIN}));

TEST(ParamsFileCodec, DecodeLeavesSettingsUnclampedForTheTaker) {
    const ParameterFileImage image = encodeBlock(savedFileHeader(), setWith(30, 250, -3));
    ParameterSet decoded;
    int32 stamp = 0;
    ASSERT_TRUE(decodeImage(image, 300, stamp, decoded));
    EXPECT_EQ(decoded.settings[kAmount], 250);
    EXPECT_EQ(decoded.settings[kMist], -3);
    clampSettings(decoded);
    EXPECT_EQ(decoded.settings[kRadiation], 30);
    EXPECT_EQ(decoded.settings[kAmount], 100);
    EXPECT_EQ(decoded.settings[kMist], 0);
}

TEST(ParamsFileCodec, ImageCanBeDecodedTwice) {
    const ParameterFileImage image = encodeBlock(savedFileHeader(), setWith(1, 2, 3));
    ParameterSet decoded;
    int32 stamp = 0;
    EXPECT_TRUE(decodeImage(image, 300, stamp, decoded));
    EXPECT_TRUE(decodeImage(image, 300, stamp, decoded));
}

struct HeaderChange {
    const char* what;
    int32 offset;
    uint8 byte;
    bool accepted;
};

class ParamsFileCodecHeader : public ::testing::TestWithParam<HeaderChange> {};

TEST_P(ParamsFileCodecHeader, OnlySignatureKindAndVersionAreTested) {
    const HeaderChange& c = GetParam();
    ParameterFileImage image = encodeBlock(savedFileHeader(), setWith(20, 40, 60));
    image.bytes[c.offset] = c.byte;
    ParameterSet decoded;
    fillDefaultSet(decoded);
    int32 stamp = 4242;
    EXPECT_EQ(decodeImage(image, 300, stamp, decoded), c.accepted) << c.what;
    if (c.accepted) {
        EXPECT_EQ(decoded.settings[kRadiation], 20) << c.what;
    } else {
        // A rejected image changes nothing.
        EXPECT_EQ(stamp, 4242) << c.what;
        EXPECT_EQ(decoded.settings[kRadiation], 50) << c.what;
        EXPECT_EQ(decoded.name[0], 19) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParamsFileCodecHeader,
                         ::testing::Values(HeaderChange{"signature first byte", 0, 'l', false},
                                           HeaderChange{"signature last byte", 3, 'L', false},
                                           HeaderChange{"kind", 7, 'S', false},
                                           HeaderChange{"version 2", 11, 2, false},
                                           HeaderChange{"version 4", 11, 4, false},
                                           HeaderChange{"version high byte", 8, 1, false},
                                           HeaderChange{"tag", 12, 'X', true},
                                           HeaderChange{"level", 19, 0x65, true},
                                           HeaderChange{"stamp", 23, 0x01, true},
                                           HeaderChange{"reserved", 299, 0xFF, true}));

TEST(ParamsFileCodec, ShortReadIsRejected) {
    const ParameterFileImage image = encodeBlock(savedFileHeader(), setWith(20, 40, 60));
    for (int32 count : {0, 1, 12, 24, 284, 296, 299, -1}) {
        ParameterSet decoded;
        fillDefaultSet(decoded);
        int32 stamp = 0;
        EXPECT_FALSE(decodeImage(image, count, stamp, decoded)) << count << " bytes";
        EXPECT_EQ(decoded.settings[kRadiation], 50);
    }
}

TEST(ParamsFileCodec, StampComesFromTheImage) {
    ParameterBlockHeader header = savedFileHeader();
    header.stamp = kNewBlockStamp;
    const ParameterFileImage image = encodeBlock(header, setWith(20, 40, 60));
    EXPECT_EQ(bytesOf(image, 20, 24), (std::vector<uint8>{0x00, 0x00, 0x06, 0x94}));
    ParameterSet decoded;
    int32 stamp = 0;
    ASSERT_TRUE(decodeImage(image, 300, stamp, decoded));
    EXPECT_EQ(stamp, 1684);
}

}  // namespace
