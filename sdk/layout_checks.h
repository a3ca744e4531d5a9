// Offsets of the host records on both targets. A layout slip fails the build here
// instead of corrupting a host's memory at run time.
#pragma once

#include <cstddef>

#include "filter_record.h"

#define LUMIVEIL_CHECK_OFFSET(record, field, at32, at64)                                   \
    static_assert(offsetof(record, field) == (sizeof(void*) == 4 ? (at32) : (at64)),      \
                  #record "." #field " is not where the host puts it")

LUMIVEIL_CHECK_OFFSET(FilterRecord, abortProc, 4, 4);
LUMIVEIL_CHECK_OFFSET(FilterRecord, progressProc, 8, 12);
LUMIVEIL_CHECK_OFFSET(FilterRecord, parameters, 12, 20);
LUMIVEIL_CHECK_OFFSET(FilterRecord, imageSize, 16, 28);
LUMIVEIL_CHECK_OFFSET(FilterRecord, planes, 20, 32);
LUMIVEIL_CHECK_OFFSET(FilterRecord, filterRect, 22, 34);
LUMIVEIL_CHECK_OFFSET(FilterRecord, maxSpace, 44, 56);
LUMIVEIL_CHECK_OFFSET(FilterRecord, bufferSpace, 48, 60);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inRect, 52, 64);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inLoPlane, 60, 72);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inHiPlane, 62, 74);
LUMIVEIL_CHECK_OFFSET(FilterRecord, outRect, 64, 76);
LUMIVEIL_CHECK_OFFSET(FilterRecord, outLoPlane, 72, 84);
LUMIVEIL_CHECK_OFFSET(FilterRecord, outHiPlane, 74, 86);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inData, 76, 88);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inRowBytes, 80, 96);
LUMIVEIL_CHECK_OFFSET(FilterRecord, outData, 84, 100);
LUMIVEIL_CHECK_OFFSET(FilterRecord, outRowBytes, 88, 108);
LUMIVEIL_CHECK_OFFSET(FilterRecord, isFloating, 92, 112);
LUMIVEIL_CHECK_OFFSET(FilterRecord, haveMask, 93, 113);
LUMIVEIL_CHECK_OFFSET(FilterRecord, maskRect, 96, 116);
LUMIVEIL_CHECK_OFFSET(FilterRecord, maskData, 104, 124);
LUMIVEIL_CHECK_OFFSET(FilterRecord, hostSig, 120, 144);
LUMIVEIL_CHECK_OFFSET(FilterRecord, imageMode, 128, 156);
LUMIVEIL_CHECK_OFFSET(FilterRecord, platformData, 188, 216);
LUMIVEIL_CHECK_OFFSET(FilterRecord, displayPixels, 204, 248);
LUMIVEIL_CHECK_OFFSET(FilterRecord, handleProcs, 208, 256);
LUMIVEIL_CHECK_OFFSET(FilterRecord, filterCase, 216, 268);
LUMIVEIL_CHECK_OFFSET(FilterRecord, advanceState, 224, 280);
LUMIVEIL_CHECK_OFFSET(FilterRecord, supportsPadding, 237, 301);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inputPadding, 238, 302);
LUMIVEIL_CHECK_OFFSET(FilterRecord, outputPadding, 240, 304);
LUMIVEIL_CHECK_OFFSET(FilterRecord, maskPadding, 242, 306);
LUMIVEIL_CHECK_OFFSET(FilterRecord, samplingSupport, 244, 308);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inputRate, 248, 312);
LUMIVEIL_CHECK_OFFSET(FilterRecord, maskRate, 252, 316);
LUMIVEIL_CHECK_OFFSET(FilterRecord, colorServices, 256, 320);
LUMIVEIL_CHECK_OFFSET(FilterRecord, inColumnBytes, 300, 368);
LUMIVEIL_CHECK_OFFSET(FilterRecord, sSPBasic, 372, 464);
LUMIVEIL_CHECK_OFFSET(FilterRecord, depth, 380, 480);
LUMIVEIL_CHECK_OFFSET(FilterRecord, iCCprofileData, 384, 484);
LUMIVEIL_CHECK_OFFSET(FilterRecord, createNewLayer, 412, 528);
LUMIVEIL_CHECK_OFFSET(FilterRecord, iCCWorkingProfileData, 416, 532);
LUMIVEIL_CHECK_OFFSET(FilterRecord, bufferSpace64, 424, 544);
LUMIVEIL_CHECK_OFFSET(FilterRecord, reserved, 440, 560);
static_assert(sizeof(FilterRecord) == (sizeof(void*) == 4 ? 488 : 608), "FilterRecord size");

LUMIVEIL_CHECK_OFFSET(HandleProcs, newProc, 4, 8);
LUMIVEIL_CHECK_OFFSET(HandleProcs, disposeProc, 8, 16);
LUMIVEIL_CHECK_OFFSET(HandleProcs, getSizeProc, 12, 24);
LUMIVEIL_CHECK_OFFSET(HandleProcs, setSizeProc, 16, 32);
LUMIVEIL_CHECK_OFFSET(HandleProcs, lockProc, 20, 40);
LUMIVEIL_CHECK_OFFSET(HandleProcs, unlockProc, 24, 48);
LUMIVEIL_CHECK_OFFSET(HandleProcs, disposeRegularHandleProc, 32, 64);
static_assert(sizeof(HandleProcs) == (sizeof(void*) == 4 ? 36 : 72), "HandleProcs size");

LUMIVEIL_CHECK_OFFSET(AboutRecord, platformData, 0, 0);
LUMIVEIL_CHECK_OFFSET(AboutRecord, reserved, 12, 24);
static_assert(sizeof(AboutRecord) == (sizeof(void*) == 4 ? 256 : 272), "AboutRecord size");

LUMIVEIL_CHECK_OFFSET(PSPixelMap, bounds, 4, 4);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, imageMode, 20, 20);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, rowBytes, 24, 24);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, colBytes, 28, 28);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, planeBytes, 32, 32);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, baseAddr, 36, 40);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, mat, 40, 48);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, masks, 44, 56);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, maskPhaseRow, 48, 64);
LUMIVEIL_CHECK_OFFSET(PSPixelMap, maskPhaseCol, 52, 68);
static_assert(sizeof(PSPixelMap) == (sizeof(void*) == 4 ? 56 : 72), "PSPixelMap size");

static_assert(sizeof(PlatformData) == sizeof(void*), "PlatformData holds one window handle");
static_assert(sizeof(FilterCaseInfo) == 4, "FilterCaseInfo size");

#undef LUMIVEIL_CHECK_OFFSET
