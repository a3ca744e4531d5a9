// Handles made by the module itself from the operating system's memory (Windows
// global memory), for hosts that offer no usable handle procs. The data starts
// zero-filled, and an address from lockFallbackHandle stays valid until
// disposeFallbackHandle.
#pragma once

#include "sdk/host_types.h"

Handle newFallbackHandle(int32 size);  // null for a negative size or when memory runs out
void disposeFallbackHandle(Handle handle);
Ptr lockFallbackHandle(Handle handle);  // null on failure
void unlockFallbackHandle(Handle handle);
// The data block's size in bytes, at most 0x7fffffff; 0 when it cannot be read.
int32 fallbackHandleSize(Handle handle);
