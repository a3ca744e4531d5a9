// The module's one effect: a module-wide EffectState and the work buffer that the
// pass attaches, and the translation from the host's FilterRecord (inRect, outRect,
// inData, outData, planes, inputRate) into the engine's pixel blocks. The pass,
// the preview and the parameter layer reach the engine through here.
#pragma once

#include "engine/effect_engine.h"
#include "sdk/filter_record.h"

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

// Which implementation processStrip runs (the optimised kernel unless told otherwise).
void chooseKernel(KernelChoice choice);
KernelChoice chosenKernel();
// The kernel that wrote the last strip: the optimised one leaves to the plain one the
// pixel layouts and deliveries that it does not handle.
KernelChoice kernelOfLastStrip();
// The widest vectors the module's optimised kernel may use, and the name of the
// instruction set that it runs with under that limit.
void limitVectorLevel(VectorLevel level);
const char* vectorLevelName();

// The tables of the last preparation (radius 1 and empty tables before the first).
const EffectTables& effectTables();
// The column-sum arrays of the attached work buffer.
const ColumnSumArrays& columnSumArrays();
// The attached work buffer as one block, and its size in bytes (0 when none).
void* workBufferBlock();
int32 attachedWorkBufferSize();

// (W + 194) * 12 bytes, W the width of filterRect.
int32 workBufferSize(const FilterRecord* record);
// Lends the module's effect the locked work buffer for the pass; a null block is
// finishEffect.
void attachWorkBuffer(const FilterRecord* record, void* block);
// Derives radius, window and both tables from explicit settings (each limited to
// 0..100) and a sampling rate.
void prepareEffectFor(int32 radiation, int32 amount, int32 mist, Fixed inputRate);
// Called after the last strip, before the work buffer is freed: forgets the buffer,
// so that nothing can reach it once the pass has disposed of it.
void finishEffect(const FilterRecord* record);
