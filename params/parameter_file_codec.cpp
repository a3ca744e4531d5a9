#include "params/parameter_file_codec.h"

#include <cstring>

#include "text/text_toolkit.h"

namespace {

constexpr int32 kWordSize = 4;
constexpr int32 kSignatureOffset = 0;
constexpr int32 kKindOffset = 4;
constexpr int32 kVersionOffset = 8;
constexpr int32 kTagOffset = 12;
constexpr int32 kLevelOffset = 16;
constexpr int32 kStampOffset = 20;
constexpr int32 kShowDialogOffset = 24;
constexpr int32 kBitsPerByte = 8;

static_assert(kImageNameOffset == kShowDialogOffset + kWordSize, "the name follows showDialog");
static_assert(kImageSettingsOffset == kImageNameOffset + kNameBufferSize,
              "settings follow the name");
static_assert(kImageSettingsOffset + kSettingCount * kWordSize + kWordSize == kParameterBlockSize,
              "four reserved bytes close the image");

// Most significant byte first, so a four-character code lands as its characters in order.
void putWord(uint8* bytes, int32 offset, uint32 word) {
    for (int32 index = 0; index < kWordSize; ++index) {
        const int32 shift = (kWordSize - 1 - index) * kBitsPerByte;
        bytes[offset + index] = uint8(word >> shift);
    }
}

uint32 getWord(const uint8* bytes, int32 offset) {
    uint32 word = 0;
    for (int32 index = 0; index < kWordSize; ++index)
        word = (word << kBitsPerByte) | bytes[offset + index];
    return word;
}

int32 settingOffset(int32 index) { return kImageSettingsOffset + index * kWordSize; }

}  // namespace

ParameterFileImage encodeBlock(const ParameterBlockHeader& header, const ParameterSet& set) {
    ParameterFileImage image;
    std::memset(image.bytes, 0, sizeof image.bytes);
    putWord(image.bytes, kSignatureOffset, header.signature);
    putWord(image.bytes, kKindOffset, header.kind);
    putWord(image.bytes, kVersionOffset, uint32(header.version));
    putWord(image.bytes, kTagOffset, header.tag);
    putWord(image.bytes, kLevelOffset, uint32(header.level));
    putWord(image.bytes, kStampOffset, uint32(header.stamp));
    putWord(image.bytes, kShowDialogOffset, uint32(set.showDialog));
    copyLString(set.name, image.bytes + kImageNameOffset);
    for (int32 index = 0; index < kSettingCount; ++index)
        putWord(image.bytes, settingOffset(index), uint32(set.settings[index]));
    return image;
}

bool decodeImage(const ParameterFileImage& image, int32 byteCount, int32& stamp,
                 ParameterSet& set) {
    if (byteCount < kParameterBlockSize) return false;
    const uint8* bytes = image.bytes;
    if (getWord(bytes, kSignatureOffset) != kBlockSignature) return false;
    if (getWord(bytes, kKindOffset) != kBlockKind) return false;
    if (int32(getWord(bytes, kVersionOffset)) != kBlockVersion) return false;

    stamp = int32(getWord(bytes, kStampOffset));
    set.showDialog = int32(getWord(bytes, kShowDialogOffset));
    copyLString(bytes + kImageNameOffset, set.name);
    for (int32 index = 0; index < kSettingCount; ++index)
        set.settings[index] = int32(getWord(bytes, settingOffset(index)));
    return true;
}

void overwriteImageName(ParameterFileImage& image, const uint8* name) {
    copyLString(name, image.bytes + kImageNameOffset);
}
