// The 300-byte big-endian file form of a parameter block, used by parameter
// files and by the last-used settings file. Windows-free.
#pragma once

#include "params/parameter_set.h"

struct ParameterFileImage {
    uint8 bytes[kParameterBlockSize];
};

// 300 zero bytes, then the header words, showDialog and settings big-endian and
// the name as its length byte and n characters.
ParameterFileImage encodeBlock(const ParameterBlockHeader& header, const ParameterSet& set);

// Accepts only a complete image (byteCount of 300) whose signature, kind and
// version are 'Lmvl', 'Prms' and 3; then yields its stamp and parameter set
// (settings not clamped: that is the taker's job). Converts the header words of
// the image to native order in place, as the file reader's buffer is reused.
bool decodeImage(ParameterFileImage& image, int32 byteCount, int32& stamp, ParameterSet& set);
