// The box-mean kernel: every pixel moved toward the rounded mean of the box
// around it, weighted by darkness, then through the tone table.
#pragma once

#include "sdk/filter_record.h"

// The input margins around outRect: those of the largest radius, whatever the settings.
constexpr int32 kMarginBefore = 96;  // rows above, columns to the left
constexpr int32 kMarginAfter = 97;   // rows below, columns to the right

// inRect = outRect grown by 96 above and left, 97 below and right (never wrapping
// past the 16-bit coordinate range).
void setInputRect(FilterRecord* record);
// Writes every row of outRect from inData into outData; a strip with no rows does nothing.
// The input is read through the inRect that the host delivered, whose edges count as
// the image's edges: a row or column outside it (of the box, or even of outRect)
// reads as the nearest one inside. With the margins of setInputRect delivered in
// full nothing is ever clamped. A strip that fails stripInputUsable is not written
// at all, and the walk down the image starts afresh at the next usable strip; so does
// a strip that does not continue the last one (other rows, columns or delivery).
void processStrip(FilterRecord* record);
// Whether the delivered data lets processStrip fill outRect without reading or writing
// outside it: planes >= 3, inData and outData present, inRect non-empty and
// overlapping outRect, row strides covering their rows, and a work buffer attached
// that is at least as wide as the strip. True for a strip with no rows or columns
// (there is nothing to do).
bool stripInputUsable(const FilterRecord* record);

// Forgets the column sums, so that the next strip builds them from scratch.
// Every preparation calls it.
void invalidateColumnSums();
bool columnSumsValid();

// Which implementation processStrip runs. The optimised kernel is the default; the
// plain one is the reference that it is tested against.
enum class KernelChoice { optimised, plain };
void chooseKernel(KernelChoice choice);
KernelChoice chosenKernel();
// The kernel that wrote the last strip: the optimised one leaves to the plain one the
// pixel layouts and deliveries that it does not handle.
KernelChoice kernelOfLastStrip();
