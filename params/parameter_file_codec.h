// The 300-byte big-endian file form of a parameter block, used by parameter
// files and by the last-used settings file. Windows-free.
//
// Layout: signature, kind, version, tag, level, stamp, showDialog at 0, 4, ... 24;
// the name's length byte at 28 and its characters from 29; Radiation, Amount,
// Mist at 284, 288, 292; four reserved zero bytes at 296. Integers are
// big-endian; a four-character code is its characters in order.
#pragma once

#include "params/parameter_set.h"

constexpr int32 kImageNameOffset = 28;
constexpr int32 kImageSettingsOffset = 284;

struct ParameterFileImage {
    uint8 bytes[kParameterBlockSize];
};

// 300 zero bytes, then the header words, showDialog and settings big-endian and
// the name as its length byte and n characters.
ParameterFileImage encodeBlock(const ParameterBlockHeader& header, const ParameterSet& set);

// Accepts only a complete image (byteCount of at least 300: a shorter read, an
// empty file included, is rejected) whose signature, kind and version are
// 'Lmvl', 'Prms' and 3; tag, level and stamp are not tested. An accepted image
// yields its stamp and its parameter set: showDialog, the name as n + 1 bytes
// (name bytes of `set` past it keep what they held) and the settings, not
// clamped (that is the taker's job). A rejected image leaves stamp and set as
// they were. The image itself is not changed, so it can be decoded again.
bool decodeImage(const ParameterFileImage& image, int32 byteCount, int32& stamp, ParameterSet& set);

// Copies a length-prefixed name (length byte and n characters) over the start of
// the image's name field, as a save does with the file's own name; the bytes of
// the field after it keep what they held.
void overwriteImageName(ParameterFileImage& image, const uint8* name);
