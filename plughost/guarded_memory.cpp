// Layout of a block: header (magic, size), front fence, the caller's bytes,
// back fence. The fence bytes follow a position-dependent pattern, so a module
// that happens to write one constant value over them is still caught.

#include "plughost/guarded_memory.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32 kBlockMagic = 0x47524431;  // "GRD1"
constexpr size_t kHeaderBytes = 16;         // keeps the caller's bytes 16-byte aligned
constexpr uint8 kPatternStart = 0xA7;
constexpr uint8 kPatternStep = 13;

struct BlockHeader {
    uint32 magic;
    uint32 reserved;
    uint64_t size;
};
static_assert(sizeof(BlockHeader) == kHeaderBytes, "header keeps the data aligned");

uint8 fenceByte(size_t index) { return uint8(kPatternStart + kPatternStep * index); }

BlockHeader* headerOf(const uint8* data) {
    return reinterpret_cast<BlockHeader*>(const_cast<uint8*>(data) - kGuardBytes - kHeaderBytes);
}

}  // namespace

uint8* allocateGuarded(size_t size, uint8 fill) {
    uint8* block = static_cast<uint8*>(std::malloc(kHeaderBytes + 2 * kGuardBytes + size));
    if (block == nullptr) return nullptr;
    BlockHeader header = {kBlockMagic, 0, uint64_t(size)};
    std::memcpy(block, &header, sizeof header);
    uint8* front = block + kHeaderBytes;
    uint8* data = front + kGuardBytes;
    uint8* back = data + size;
    for (size_t i = 0; i < kGuardBytes; ++i) {
        front[i] = fenceByte(i);
        back[i] = fenceByte(i);
    }
    std::memset(data, fill, size);
    return data;
}

void freeGuarded(uint8* data) {
    if (data == nullptr) return;
    BlockHeader* header = headerOf(data);
    header->magic = 0;
    std::free(header);
}

size_t guardedSize(const uint8* data) { return data ? size_t(headerOf(data)->size) : 0; }

bool guardsIntact(const uint8* data, std::string* damage) {
    if (data == nullptr) return true;
    const BlockHeader* header = headerOf(data);
    const size_t size = size_t(header->size);
    const uint8* front = data - kGuardBytes;
    const uint8* back = data + size;
    // Report the changed byte nearest to the buffer: that is where an overrun starts.
    for (size_t i = kGuardBytes; i-- > 0;) {
        if (front[i] != fenceByte(i)) {
            const size_t before = kGuardBytes - i;
            *damage =
                std::to_string(before) + (before == 1 ? " byte" : " bytes") + " before its start";
            return false;
        }
    }
    for (size_t i = 0; i < kGuardBytes; ++i) {
        if (back[i] != fenceByte(i)) {
            *damage = std::to_string(i + 1) + (i == 0 ? " byte" : " bytes") +
                      " after its end (offset " + std::to_string(size + i) + " of a " +
                      std::to_string(size) + "-byte buffer)";
            return false;
        }
    }
    if (header->magic != kBlockMagic) {
        *damage = "its header was overwritten";
        return false;
    }
    return true;
}
