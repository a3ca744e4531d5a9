// The host's displayPixels callback: draws a version-1 pixel map into the
// device context the module passes, 1:1, and keeps the pixels of the last call
// so they can be saved (--dump-display).
#pragma once

#include <string>

#include "sdk/filter_record.h"

extern "C" OSErr hostDisplayPixels(const PSPixelMap* source, const VRect* srcRect, int32 dstRow,
                                   int32 dstCol, void* platformContext);

// Number of displayPixels calls so far.
int displayPixelsCalls();

// Writes the source rectangle of the last call as an RGB PNG; false when
// there was no call or the file cannot be written.
bool saveLastDisplay(const std::string& path, std::string* error);
