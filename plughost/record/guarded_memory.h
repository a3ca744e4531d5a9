// Memory that the host hands to the module, fenced by guard bytes on both
// sides so that a write just outside a buffer is caught. Windows-free.
#pragma once

#include <cstddef>
#include <string>

#include "sdk/host_types.h"

constexpr size_t kGuardBytes = 64;  // on each side of every buffer

// A new fenced buffer of `size` bytes (0 allowed), every byte set to `fill`;
// null when memory runs out. Free with freeGuarded.
uint8* allocateGuarded(size_t size, uint8 fill);
// The same with its bytes left as they are, for a caller that writes them all.
uint8* allocateGuardedUnfilled(size_t size);

// Frees a buffer from allocateGuarded; null is ignored.
void freeGuarded(uint8* data);

// The size that allocateGuarded was given.
size_t guardedSize(const uint8* data);

// True when both fences are untouched. Otherwise false, with `damage` telling
// where the first changed byte is, e.g. "1 byte after its end (offset 4096)".
bool guardsIntact(const uint8* data, std::string* damage);
