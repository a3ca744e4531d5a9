// Layout of a block: header (magic, size, capacity), front fence, the caller's
// bytes, back fence. The fence bytes follow a position-dependent pattern, so a
// module that happens to write one constant value over them is still caught.
//
// Freed blocks are kept for the next allocations: a host hands over buffers of
// the same sizes strip after strip, and fresh memory from the system (pages
// mapped, faulted in and zeroed each time) cost many times the filter itself.

#include "plughost/record/guarded_memory.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32 kBlockMagic = 0x47524431;  // "GRD1"
constexpr size_t kHeaderBytes = 32;         // keeps the caller's bytes 16-byte aligned
constexpr size_t kKeptBlocks = 4;           // in, out and mask buffers, and one spare
constexpr uint8 kPatternStart = 0xA7;
constexpr uint8 kPatternStep = 13;

struct BlockHeader {
    uint32 magic;
    uint32 reserved;
    uint64_t size;      // the caller's bytes
    uint64_t capacity;  // the most the block can hold between its fences
    uint64_t spare;
};
static_assert(sizeof(BlockHeader) == kHeaderBytes, "header keeps the data aligned");

// Freed blocks, whole (header first); null where none is kept.
uint8* keptBlocks[kKeptBlocks] = {};

uint8 fenceByte(size_t index) { return uint8(kPatternStart + kPatternStep * index); }

BlockHeader* headerOf(const uint8* data) {
    return reinterpret_cast<BlockHeader*>(const_cast<uint8*>(data) - kGuardBytes - kHeaderBytes);
}

uint64_t capacityOf(const uint8* block) {
    BlockHeader header;
    std::memcpy(&header, block, sizeof header);
    return header.capacity;
}

// The smallest kept block that holds `size` bytes, taken out of the keep; else a new one.
uint8* takeBlock(size_t size, uint64_t* capacity) {
    size_t best = kKeptBlocks;
    for (size_t i = 0; i < kKeptBlocks; ++i) {
        if (keptBlocks[i] == nullptr || capacityOf(keptBlocks[i]) < size) continue;
        if (best == kKeptBlocks || capacityOf(keptBlocks[i]) < capacityOf(keptBlocks[best]))
            best = i;
    }
    if (best != kKeptBlocks) {
        uint8* block = keptBlocks[best];
        keptBlocks[best] = nullptr;
        *capacity = capacityOf(block);
        return block;
    }
    *capacity = size;
    return static_cast<uint8*>(std::malloc(kHeaderBytes + 2 * kGuardBytes + size));
}

// Keeps a freed block for later, in place of the smallest kept one when the keep is full.
void keepBlock(uint8* block) {
    size_t slot = 0;
    for (size_t i = 0; i < kKeptBlocks; ++i) {
        if (keptBlocks[i] == nullptr) {
            slot = i;
            break;
        }
        if (capacityOf(keptBlocks[i]) < capacityOf(keptBlocks[slot])) slot = i;
    }
    std::free(keptBlocks[slot]);
    keptBlocks[slot] = block;
}

}  // namespace

uint8* allocateGuarded(size_t size, uint8 fill) {
    uint8* data = allocateGuardedUnfilled(size);
    if (data != nullptr) std::memset(data, fill, size);
    return data;
}

uint8* allocateGuardedUnfilled(size_t size) {
    uint64_t capacity = 0;
    uint8* block = takeBlock(size, &capacity);
    if (block == nullptr) return nullptr;
    BlockHeader header = {kBlockMagic, 0, uint64_t(size), capacity, 0};
    std::memcpy(block, &header, sizeof header);
    uint8* front = block + kHeaderBytes;
    uint8* data = front + kGuardBytes;
    uint8* back = data + size;
    for (size_t i = 0; i < kGuardBytes; ++i) {
        front[i] = fenceByte(i);
        back[i] = fenceByte(i);
    }
    return data;
}

void freeGuarded(uint8* data) {
    if (data == nullptr) return;
    BlockHeader* header = headerOf(data);
    header->magic = 0;
    keepBlock(reinterpret_cast<uint8*>(header));
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
