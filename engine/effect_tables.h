// What the settings become before the kernel runs: the box radius at the current
// inputRate, the window, the blend-weight table and the tone table; and the
// carving of the work buffer into the column-sum arrays.
#pragma once

#include "sdk/filter_record.h"

// (W + 194) * 12 bytes, W the width of filterRect.
int32 workBufferSize(const FilterRecord* record);
// Points the three column-sum arrays into the locked work buffer.
void attachWorkBuffer(const FilterRecord* record, void* block);
// Derives radius, window and both tables from the settings and inputRate; always 0.
int32 prepareEffect(const FilterRecord* record);
// Called after the last strip, before the work buffer is freed.
void finishEffect(const FilterRecord* record);
