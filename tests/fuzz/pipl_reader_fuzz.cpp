// libFuzzer target: the reference host's PiPL reader on arbitrary bytes. It
// must never read outside them, and what it reports must hold together.

#include <cstddef>
#include <cstdint>
#include <string>

#include "plughost/module/pipl_reader.h"

namespace {

constexpr size_t kPropertyHeaderSize = 16;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PiplRecord record;
    std::string error;
    // Comparing the two ways of stepping reads both walks within the bytes too.
    std::string difference;
    if (!piplSteppingsAgree(data, size, &difference)) require(!difference.empty());
    const bool ok = readPipl(data, size, &record, &error);
    if (!ok) {
        require(!error.empty());
        return 0;
    }
    require(record.hasKind);
    require(!record.entryX86.empty() || !record.entryX64.empty() || !record.entryArm64.empty());
    for (const PiplProperty& property : record.properties) {
        require(property.length >= 0);
        require(property.offset >= kPropertyHeaderSize);
        require(property.offset + size_t(property.length) <= size);
    }
    require(record.end <= size);
    // Reading the same bytes again gives the same answer.
    PiplRecord again;
    require(readPipl(data, size, &again, &error));
    require(again.kind == record.kind && again.name == record.name &&
            again.properties.size() == record.properties.size());
    return 0;
}
