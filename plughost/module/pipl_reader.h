// Reads a filter module's PiPL property list the way a host does: from the raw
// resource bytes, with every length checked against the bytes that are there.
// Windows-free, so it builds natively for the unit test and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/filter_record.h"

constexpr int kFilterCaseCount = 7;  // the host's filter cases 1..7, in 'fici' order

// One property as it sits in the list; `offset` is where its data starts.
struct PiplProperty {
    uint32 vendor;
    uint32 key;
    int32 id;
    int32 length;  // data bytes, without the padding to a multiple of 4
    size_t offset;
};

// How a host steps from one property to the next. Most round the data length up
// to a multiple of 4, as the list is laid out; some older bridges step by the
// length alone, and so meet the padding where they expect the next property.
enum class PiplStepping { RoundedLength, LengthOnly };

// What a host learns from the list. The `has*` flags say whether the property
// was present; the values are meaningful only then.
struct PiplRecord {
    int32 listVersion = 0;
    std::vector<PiplProperty> properties;
    size_t end = 0;  // where the walk stepped after the last property

    bool hasKind = false;
    uint32 kind = 0;  // four-character code, first character most significant
    bool hasVersion = false;
    int32 version = 0;  // major << 16 | minor
    bool hasPriority = false;
    int32 priority = 0;
    bool hasCategory = false;
    std::string category;
    bool hasName = false;
    std::string name;
    std::string entryX86;    // 'wx86', empty when absent
    std::string entryX64;    // '8664', empty when absent
    std::string entryArm64;  // 'wa64', empty when absent
    bool hasModes = false;
    std::vector<uint8> modes;  // the 'mode' flag bytes, most significant bit first
    bool hasFilterCases = false;
    FilterCaseInfo filterCases[kFilterCaseCount] = {};
};

// Parses `size` bytes, stepping between properties as `stepping` says. On
// success fills `record` and returns true; otherwise returns false with a message
// for the user in `error`. Never reads outside [bytes, bytes + size).
bool readPipl(const uint8* bytes, size_t size, PiplRecord* record, std::string* error,
              PiplStepping stepping = PiplStepping::RoundedLength);

// True when both ways of stepping read the same properties, with the same data,
// to the same end. Otherwise `difference` says where they part.
bool piplSteppingsAgree(const uint8* bytes, size_t size, std::string* difference);

// The four characters of a code, e.g. "8BFM"; unprintable bytes become '?'.
std::string fourCharText(uint32 code);

// The name of image mode `mode` (0..17), or "mode N".
std::string imageModeName(int mode);

// True when the 'mode' flags mark image mode `mode` as supported.
bool piplSupportsMode(const PiplRecord& record, int mode);

// Text for a filter case's input or output handling value, e.g. "straight".
std::string dataHandlingName(int handling);

// The host's name of filter case 1..7, e.g. "flat image, no selection".
std::string filterCaseName(int filterCase);
