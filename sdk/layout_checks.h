// Offsets and sizes of the host records on every target: i686 and x64 Windows
// (the filter record packed to 4 bytes), and 64-bit macOS (natural alignment),
// which the native build checks too. A layout slip fails the build here instead
// of corrupting a host's memory at run time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "filter_record.h"

#ifdef _WIN32
#define LUMIVEIL_CHECK_OFFSET(record, field, at32, at64)                             \
    static_assert(offsetof(record, field) == (sizeof(void*) == 4 ? (at32) : (at64)), \
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

LUMIVEIL_CHECK_OFFSET(PSPixelMask, maskData, 4, 8);
LUMIVEIL_CHECK_OFFSET(PSPixelMask, maskDescription, 16, 24);
static_assert(sizeof(PSPixelMask) == (sizeof(void*) == 4 ? 20 : 32), "PSPixelMask size");
static_assert(sizeof(BufferProcs) == (sizeof(void*) == 4 ? 36 : 72), "BufferProcs size");
static_assert(sizeof(ResourceProcs) == (sizeof(void*) == 4 ? 20 : 40), "ResourceProcs size");
static_assert(sizeof(PropertyProcs) == (sizeof(void*) == 4 ? 12 : 24), "PropertyProcs size");
static_assert(sizeof(SPBasicSuite) == (sizeof(void*) == 4 ? 28 : 56), "SPBasicSuite size");
static_assert(sizeof(SPBoolean) == 4, "SPBoolean is a Windows BOOL");
static_assert(sizeof(BigDocumentStruct) == 92, "BigDocumentStruct size");

#undef LUMIVEIL_CHECK_OFFSET
#else
// The natural layout of 64-bit macOS (x86_64 and arm64 alike), which every
// platform but Windows takes: with 8-byte pointers and 8-byte-aligned int64,
// as an x86_64 Linux build has them too.
static_assert(sizeof(void*) == 8 && sizeof(intptr_t) == 8 && alignof(void*) == 8,
              "the host records are laid out for 64-bit macOS");
static_assert(alignof(int64_t) == 8, "bufferSpace64 and maxSpace64 are 8-aligned on the Mac");

#define LUMIVEIL_CHECK_MAC_OFFSET(record, field, at) \
    static_assert(offsetof(record, field) == (at),   \
                  #record "." #field " is not where a Mac host puts it")

LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, serialNumber, 0);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, abortProc, 8);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, progressProc, 16);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, parameters, 24);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, imageSize, 32);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, planes, 36);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, filterRect, 38);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, background, 46);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, foreground, 52);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maxSpace, 60);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, bufferSpace, 64);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inRect, 68);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inLoPlane, 76);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inHiPlane, 78);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outRect, 80);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outLoPlane, 88);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outHiPlane, 90);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inData, 96);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inRowBytes, 104);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outData, 112);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outRowBytes, 120);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, isFloating, 124);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, haveMask, 125);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, autoMask, 126);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskRect, 128);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskData, 136);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskRowBytes, 144);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, backColor, 148);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, foreColor, 152);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, hostSig, 156);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, hostProc, 160);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, imageMode, 168);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, imageHRes, 172);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, imageVRes, 176);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, floatCoord, 180);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, wholeSize, 184);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, monitor, 188);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, platformData, 232);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, bufferProcs, 240);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, resourceProcs, 248);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, processEvent, 256);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, displayPixels, 264);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, handleProcs, 272);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, supportsDummyChannels, 280);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, supportsAlternateLayouts, 281);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, wantLayout, 282);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, filterCase, 284);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, dummyPlaneValue, 286);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, premiereHook, 288);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, advanceState, 296);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, supportsAbsolute, 304);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, wantsAbsolute, 305);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, getPropertyObsolete, 312);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, cannotUndo, 320);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, supportsPadding, 321);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inputPadding, 322);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outputPadding, 324);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskPadding, 326);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, samplingSupport, 328);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, reservedByte, 329);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inputRate, 332);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskRate, 336);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, colorServices, 344);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inLayerPlanes, 352);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inTransparencyMask, 354);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inLayerMasks, 356);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inInvertedLayerMasks, 358);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inNonLayerPlanes, 360);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outLayerPlanes, 362);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outTransparencyMask, 364);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outLayerMasks, 366);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outInvertedLayerMasks, 368);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outNonLayerPlanes, 370);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absLayerPlanes, 372);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absTransparencyMask, 374);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absLayerMasks, 376);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absInvertedLayerMasks, 378);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absNonLayerPlanes, 380);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inPreDummyPlanes, 382);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inPostDummyPlanes, 384);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outPreDummyPlanes, 386);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outPostDummyPlanes, 388);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inColumnBytes, 392);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inPlaneBytes, 396);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outColumnBytes, 400);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outPlaneBytes, 404);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, imageServicesProcs, 408);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, propertyProcs, 416);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inTileHeight, 424);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inTileWidth, 426);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, inTileOrigin, 428);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absTileHeight, 432);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absTileWidth, 434);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, absTileOrigin, 436);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outTileHeight, 440);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outTileWidth, 442);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, outTileOrigin, 444);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskTileHeight, 448);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskTileWidth, 450);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maskTileOrigin, 452);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, descriptorParameters, 456);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, errorString, 464);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, channelPortProcs, 472);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, documentInfo, 480);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, sSPBasic, 488);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, plugInRef, 496);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, depth, 504);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, iCCprofileData, 512);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, iCCprofileSize, 520);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, canUseICCProfiles, 524);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, hasImageScrap, 528);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, bigDocumentData, 536);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, input3DScene, 544);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, output3DScene, 552);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, createNewLayer, 560);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, iCCWorkingProfileData, 568);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, iCCWorkingProfileSize, 576);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, bufferSpace64, 584);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, maxSpace64, 592);
LUMIVEIL_CHECK_MAC_OFFSET(FilterRecord, reserved, 600);
static_assert(sizeof(FilterRecord) == 648, "FilterRecord size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(AboutRecord, platformData, 0);
LUMIVEIL_CHECK_MAC_OFFSET(AboutRecord, sSPBasic, 8);
LUMIVEIL_CHECK_MAC_OFFSET(AboutRecord, plugInRef, 16);
LUMIVEIL_CHECK_MAC_OFFSET(AboutRecord, reserved, 24);
static_assert(sizeof(AboutRecord) == 272, "AboutRecord size on the Mac");
static_assert(sizeof(PlatformData) == 2, "a Mac host's PlatformData holds no window");

LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, numHandleProcs, 2);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, newProc, 8);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, disposeProc, 16);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, getSizeProc, 24);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, setSizeProc, 32);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, lockProc, 40);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, unlockProc, 48);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, recoverSpaceProc, 56);
LUMIVEIL_CHECK_MAC_OFFSET(HandleProcs, disposeRegularHandleProc, 64);
static_assert(sizeof(HandleProcs) == 72, "HandleProcs size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, numBufferProcs, 2);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, allocateProc, 8);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, lockProc, 16);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, unlockProc, 24);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, freeProc, 32);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, spaceProc, 40);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, reserveProc, 48);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, allocateProc64, 56);
LUMIVEIL_CHECK_MAC_OFFSET(BufferProcs, spaceProc64, 64);
static_assert(sizeof(BufferProcs) == 72, "BufferProcs size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(ResourceProcs, countProc, 8);
LUMIVEIL_CHECK_MAC_OFFSET(ResourceProcs, getProc, 16);
LUMIVEIL_CHECK_MAC_OFFSET(ResourceProcs, deleteProc, 24);
LUMIVEIL_CHECK_MAC_OFFSET(ResourceProcs, addProc, 32);
static_assert(sizeof(ResourceProcs) == 40, "ResourceProcs size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(PropertyProcs, getPropertyProc, 8);
LUMIVEIL_CHECK_MAC_OFFSET(PropertyProcs, setPropertyProc, 16);
static_assert(sizeof(PropertyProcs) == 24, "PropertyProcs size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(SPBasicSuite, AcquireSuite, 0);
LUMIVEIL_CHECK_MAC_OFFSET(SPBasicSuite, ReleaseSuite, 8);
LUMIVEIL_CHECK_MAC_OFFSET(SPBasicSuite, IsEqual, 16);
LUMIVEIL_CHECK_MAC_OFFSET(SPBasicSuite, AllocateBlock, 24);
LUMIVEIL_CHECK_MAC_OFFSET(SPBasicSuite, FreeBlock, 32);
LUMIVEIL_CHECK_MAC_OFFSET(SPBasicSuite, ReallocateBlock, 40);
LUMIVEIL_CHECK_MAC_OFFSET(SPBasicSuite, Undefined, 48);
static_assert(sizeof(SPBasicSuite) == 56, "SPBasicSuite size on the Mac");
static_assert(sizeof(SPBoolean) == 1, "SPBoolean is one byte on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, bounds, 4);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, imageMode, 20);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, rowBytes, 24);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, colBytes, 28);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, planeBytes, 32);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, baseAddr, 40);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, mat, 48);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, masks, 56);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, maskPhaseRow, 64);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMap, maskPhaseCol, 68);
static_assert(sizeof(PSPixelMap) == 72, "PSPixelMap (version 1) size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMask, maskData, 8);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMask, rowBytes, 16);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMask, colBytes, 20);
LUMIVEIL_CHECK_MAC_OFFSET(PSPixelMask, maskDescription, 24);
static_assert(sizeof(PSPixelMask) == 32, "PSPixelMask size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(PSPlatformContext, fCGContextRef, 0);
LUMIVEIL_CHECK_MAC_OFFSET(PSPlatformContext, fScreenRect, 8);
static_assert(sizeof(PSPlatformContext) == 24, "PSPlatformContext size on the Mac");

LUMIVEIL_CHECK_MAC_OFFSET(BigDocumentStruct, imageSize32, 4);
LUMIVEIL_CHECK_MAC_OFFSET(BigDocumentStruct, filterRect32, 12);
LUMIVEIL_CHECK_MAC_OFFSET(BigDocumentStruct, inRect32, 28);
LUMIVEIL_CHECK_MAC_OFFSET(BigDocumentStruct, outRect32, 44);
LUMIVEIL_CHECK_MAC_OFFSET(BigDocumentStruct, maskRect32, 60);
LUMIVEIL_CHECK_MAC_OFFSET(BigDocumentStruct, floatCoord32, 76);
LUMIVEIL_CHECK_MAC_OFFSET(BigDocumentStruct, wholeSize32, 84);
static_assert(sizeof(BigDocumentStruct) == 92, "BigDocumentStruct size on the Mac");
static_assert(sizeof(FilterCaseInfo) == 4, "FilterCaseInfo size");

#undef LUMIVEIL_CHECK_MAC_OFFSET
#endif
