// One call's work for a kernel variant: the input block as the caller gave it, the
// output rows' place in the picture, the tables and the column sums.
#pragma once

#include <cstddef>

#include "engine/effect_tables.h"

// The input block, read with its edges replicated outward: a row or column outside
// it is read as the nearest one inside. With the full margins around the output no
// clamping ever happens.
struct StripSource {
    const uint8* data;   // first byte of pixel (top, left)
    ptrdiff_t rowBytes;  // inRowBytes
    int32 pixelBytes;    // 3 or more; bytes after the third are never used
    int32 top;           // the input rectangle; bottom and right exclusive
    int32 left;
    int32 bottom;
    int32 right;
};

// The delivered row nearest to image row y, at its first delivered column.
inline const uint8* sourceRow(const StripSource& source, int32 y) {
    if (y < source.top) y = source.top;
    if (y > source.bottom - 1) y = source.bottom - 1;
    return source.data + ptrdiff_t(y - source.top) * source.rowBytes;
}

// The delivered pixel nearest to image pixel (y, x).
inline const uint8* sourcePixel(const StripSource& source, int32 y, int32 x) {
    if (x < source.left) x = source.left;
    if (x > source.right - 1) x = source.right - 1;
    return sourceRow(source, y) + ptrdiff_t(x - source.left) * source.pixelBytes;
}

struct StripJob {
    StripSource source;
    const EffectTables* tables;
    ColumnSumArrays columnSums;  // channel[0] is also the start of the whole work buffer
    size_t workBufferBytes;
    int32 firstRow;  // picture row of the first output row
    int32 rowCount;  // at least 1
    int32 left;      // picture column of the first output pixel
    int32 width;     // output pixels per row, at least 1, at most filterWidth
    // Columns of the box's reach that lie inside the input: the column sums of the
    // columns beyond them are copies of these edge columns.
    int32 firstReadColumn;
    int32 lastReadColumn;
    uint8* out;  // first output pixel of the first row
    ptrdiff_t outRowBytes;
    int32 outPixelBytes;  // 3 or more
    // The input holds every output pixel: no clamping is needed for the pixels
    // under the output (only for the box's reach beyond them).
    bool inputCoversStrip;
    bool columnSumsValid;  // false: build them from scratch on the first row
};

// Entry of a column-sum array that belongs to image column x.
inline int32 columnEntry(const StripJob& job, int32 x) { return x - job.left + kColumnSumLead; }
