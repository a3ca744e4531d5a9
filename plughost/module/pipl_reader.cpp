// PiPL list layout (little-endian): int16 reserved (1), int32 list version (0),
// int32 property count, then the properties back to back. A property is vendor
// (4), key (4), id (int32), data length (int32), the data, and zero bytes up to
// the next multiple of 4. Four-character codes are stored as little-endian
// numbers, so '8BIM' appears as the bytes "MIB8".

#include "plughost/module/pipl_reader.h"

#include <algorithm>

namespace {

constexpr size_t kListHeaderSize = 10;
constexpr size_t kPropertyHeaderSize = 16;
constexpr int16 kListReserved = 1;
constexpr int32 kListVersion = 0;
constexpr size_t kPropertyAlignment = 4;
constexpr size_t kFilterCaseBytes = kFilterCaseCount * sizeof(FilterCaseInfo);
constexpr int kImageModeCount = 18;

constexpr uint32 kVendorPhotoshop = fourCharCode("8BIM");
constexpr uint32 kKeyKind = fourCharCode("kind");
constexpr uint32 kKeyVersion = fourCharCode("vers");
constexpr uint32 kKeyPriority = fourCharCode("prty");
constexpr uint32 kKeyCategory = fourCharCode("catg");
constexpr uint32 kKeyName = fourCharCode("name");
constexpr uint32 kKeyEntryX86 = fourCharCode("wx86");
constexpr uint32 kKeyEntryX64 = fourCharCode("8664");
constexpr uint32 kKeyEntryArm64 = fourCharCode("wa64");
constexpr uint32 kKeyModes = fourCharCode("mode");
constexpr uint32 kKeyFilterCases = fourCharCode("fici");

uint32 readU32(const uint8* p) {
    return uint32(p[0]) | (uint32(p[1]) << 8) | (uint32(p[2]) << 16) | (uint32(p[3]) << 24);
}

int16 readI16(const uint8* p) { return int16(uint16(p[0] | (p[1] << 8))); }

std::string keyText(const PiplProperty& property) { return "'" + fourCharText(property.key) + "'"; }

bool fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

bool readFourByteValue(const uint8* data, const PiplProperty& property, uint32* value,
                       std::string* error) {
    if (property.length < 4)
        return fail(error, keyText(property) + " property is shorter than 4 bytes");
    *value = readU32(data);
    return true;
}

// A length byte followed by that many characters, all inside the data.
bool readPascalString(const uint8* data, const PiplProperty& property, std::string* text,
                      std::string* error) {
    if (property.length < 1) return fail(error, keyText(property) + " property is empty");
    const size_t length = data[0];
    if (length + 1 > size_t(property.length)) {
        return fail(error, keyText(property) + " string length " + std::to_string(length) +
                               " runs past its property");
    }
    text->assign(reinterpret_cast<const char*>(data + 1), length);
    return true;
}

// A non-empty name terminated by a zero byte inside the data.
bool readCString(const uint8* data, const PiplProperty& property, std::string* text,
                 std::string* error) {
    size_t length = 0;
    while (length < size_t(property.length) && data[length] != 0) ++length;
    if (length == size_t(property.length)) {
        return fail(error, keyText(property) + " entry point name is not terminated");
    }
    if (length == 0) return fail(error, keyText(property) + " entry point name is empty");
    text->assign(reinterpret_cast<const char*>(data), length);
    return true;
}

bool readProperty(const uint8* bytes, const PiplProperty& property, PiplRecord* record,
                  std::string* error) {
    const uint8* data = bytes + property.offset;
    if (property.vendor != kVendorPhotoshop) return true;  // other vendors' properties are not ours
    uint32 value = 0;
    switch (property.key) {
        case kKeyKind:
            if (record->hasKind) return true;  // the first of a key counts
            if (!readFourByteValue(data, property, &value, error)) return false;
            record->hasKind = true;
            record->kind = value;
            return true;
        case kKeyVersion:
            if (record->hasVersion) return true;
            if (!readFourByteValue(data, property, &value, error)) return false;
            record->hasVersion = true;
            record->version = int32(value);
            return true;
        case kKeyPriority:
            if (record->hasPriority) return true;
            if (!readFourByteValue(data, property, &value, error)) return false;
            record->hasPriority = true;
            record->priority = int32(value);
            return true;
        case kKeyCategory:
            if (record->hasCategory) return true;
            record->hasCategory = true;
            return readPascalString(data, property, &record->category, error);
        case kKeyName:
            if (record->hasName) return true;
            record->hasName = true;
            return readPascalString(data, property, &record->name, error);
        case kKeyEntryX86:
            if (!record->entryX86.empty()) return true;
            return readCString(data, property, &record->entryX86, error);
        case kKeyEntryX64:
            if (!record->entryX64.empty()) return true;
            return readCString(data, property, &record->entryX64, error);
        case kKeyEntryArm64:
            if (!record->entryArm64.empty()) return true;
            return readCString(data, property, &record->entryArm64, error);
        case kKeyModes:
            if (record->hasModes) return true;
            if (property.length < 1) return fail(error, "'mode' property is empty");
            record->hasModes = true;
            record->modes.assign(data, data + property.length);
            return true;
        case kKeyFilterCases:
            if (record->hasFilterCases) return true;
            if (size_t(property.length) < kFilterCaseBytes) {
                return fail(error, "'fici' property holds " + std::to_string(property.length) +
                                       " bytes, fewer than 7 filter cases");
            }
            record->hasFilterCases = true;
            for (int i = 0; i < kFilterCaseCount; ++i) {
                const uint8* info = data + i * sizeof(FilterCaseInfo);
                record->filterCases[i].inputHandling = char(info[0]);
                record->filterCases[i].outputHandling = char(info[1]);
                record->filterCases[i].flags1 = char(info[2]);
                record->filterCases[i].flags2 = char(info[3]);
            }
            return true;
        default:
            return true;
    }
}

}  // namespace

bool readPipl(const uint8* bytes, size_t size, PiplRecord* record, std::string* error,
              PiplStepping stepping) {
    *record = PiplRecord();
    if (bytes == nullptr || size < kListHeaderSize) {
        return fail(error, "property list is truncated: " + std::to_string(size) +
                               " bytes, fewer than its 10-byte header");
    }
    const int16 reserved = readI16(bytes);
    if (reserved != kListReserved) {
        return fail(error, "property list header is wrong: first word is " +
                               std::to_string(reserved) + ", not 1");
    }
    record->listVersion = int32(readU32(bytes + 2));
    if (record->listVersion != kListVersion) {
        return fail(error,
                    "property list version " + std::to_string(record->listVersion) + " is not 0");
    }
    const int32 count = int32(readU32(bytes + 6));
    if (count < 0) return fail(error, "property count " + std::to_string(count) + " is negative");

    size_t at = kListHeaderSize;
    for (int32 index = 0; index < count; ++index) {
        const std::string where =
            "property " + std::to_string(index + 1) + " of " + std::to_string(count);
        if (size - at < kPropertyHeaderSize) {
            return fail(error, "property list is truncated: " + where + " starts at byte " +
                                   std::to_string(at) + " of " + std::to_string(size));
        }
        PiplProperty property;
        property.vendor = readU32(bytes + at);
        property.key = readU32(bytes + at + 4);
        property.id = int32(readU32(bytes + at + 8));
        property.length = int32(readU32(bytes + at + 12));
        property.offset = at + kPropertyHeaderSize;
        if (property.length < 0 || size_t(property.length) > size - property.offset) {
            return fail(error, where + " ('" + fourCharText(property.key) + "') has length " +
                                   std::to_string(property.length) + ", past the end of the list");
        }
        record->properties.push_back(property);
        if (!readProperty(bytes, property, record, error)) return false;
        // The padding after the last property may be missing; the data itself is checked.
        const size_t step =
            stepping == PiplStepping::LengthOnly
                ? size_t(property.length)
                : (size_t(property.length) + kPropertyAlignment - 1) & ~(kPropertyAlignment - 1);
        at = property.offset + step < size ? property.offset + step : size;
    }
    record->end = at;

    if (!record->hasKind) return fail(error, "property list has no 'kind' property");
    if (record->entryX86.empty() && record->entryX64.empty() && record->entryArm64.empty()) {
        return fail(error, "property list names no entry point ('wx86', '8664' or 'wa64')");
    }
    return true;
}

bool piplSteppingsAgree(const uint8* bytes, size_t size, std::string* difference) {
    PiplRecord rounded, lengthOnly;
    std::string roundedError, lengthOnlyError;
    const bool roundedOk = readPipl(bytes, size, &rounded, &roundedError);
    const bool lengthOnlyOk =
        readPipl(bytes, size, &lengthOnly, &lengthOnlyError, PiplStepping::LengthOnly);
    if (!roundedOk || !lengthOnlyOk) {
        if (roundedOk == lengthOnlyOk) return true;  // both refuse the list
        return fail(difference, roundedOk ? "stepping by the length alone: " + lengthOnlyError
                                          : "rounding the length up: " + roundedError);
    }
    const size_t count = std::min(rounded.properties.size(), lengthOnly.properties.size());
    for (size_t i = 0; i < count; ++i) {
        const PiplProperty& a = rounded.properties[i];
        const PiplProperty& b = lengthOnly.properties[i];
        const bool same =
            a.vendor == b.vendor && a.key == b.key && a.id == b.id && a.length == b.length &&
            std::equal(bytes + a.offset, bytes + a.offset + a.length, bytes + b.offset);
        if (!same) {
            return fail(difference,
                        "property " + std::to_string(i + 1) + " is '" + fourCharText(a.key) +
                            "' rounding the length up, but '" + fourCharText(b.key) + "' (length " +
                            std::to_string(b.length) + ") stepping by the length alone");
        }
    }
    if (rounded.end != lengthOnly.end) {
        return fail(difference, "the list ends at byte " + std::to_string(rounded.end) +
                                    " rounding the length up, but at byte " +
                                    std::to_string(lengthOnly.end) +
                                    " stepping by the length alone");
    }
    return true;
}

std::string fourCharText(uint32 code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((code >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

std::string imageModeName(int mode) {
    static const char* const kNames[kImageModeCount] = {
        "Bitmap",   "GrayScale",    "IndexedColor",     "RGBColor",  "CMYKColor", "HSLColor",
        "HSBColor", "Multichannel", "Duotone",          "LabColor",  "Gray16",    "RGB48",
        "Lab48",    "CMYK64",       "DeepMultichannel", "Duotone16", "RGB96",     "Gray32"};
    if (mode >= 0 && mode < kImageModeCount) return kNames[mode];
    return "mode " + std::to_string(mode);
}

bool piplSupportsMode(const PiplRecord& record, int mode) {
    // Mode N is bit (7 - N mod 8) of byte N / 8: most significant bit first.
    if (!record.hasModes || mode < 0 || size_t(mode / 8) >= record.modes.size()) return false;
    return (record.modes[mode / 8] & (0x80 >> (mode % 8))) != 0;
}

std::string dataHandlingName(int handling) {
    static const char* const kNames[] = {"cannot filter", "straight",       "black matte",
                                         "gray matte",    "white matte",    "defringe",
                                         "black zap",     "gray zap",       "white zap",
                                         "fill mask",     "background zap", "foreground zap"};
    if (handling >= 0 && handling < int(sizeof(kNames) / sizeof(kNames[0])))
        return kNames[handling];
    return "handling " + std::to_string(handling);
}

std::string filterCaseName(int filterCase) {
    static const char* const kNames[kFilterCaseCount] = {"flat image, no selection",
                                                         "flat image, with selection",
                                                         "floating selection",
                                                         "editable transparency, no selection",
                                                         "editable transparency, with selection",
                                                         "protected transparency, no selection",
                                                         "protected transparency, with selection"};
    if (filterCase >= 1 && filterCase <= kFilterCaseCount) return kNames[filterCase - 1];
    return "case " + std::to_string(filterCase);
}
