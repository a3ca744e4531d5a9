// The box-mean kernel: every pixel moved toward the rounded mean of the box
// around it, weighted by darkness, then through the tone table.
#pragma once

#include "sdk/filter_record.h"

// inRect = outRect grown by 96 above and left, 97 below and right (never wrapping
// past the 16-bit coordinate range).
void setInputRect(FilterRecord* record);
// Writes every row of outRect from inData into outData; a strip with no rows does nothing.
void processStrip(FilterRecord* record);
