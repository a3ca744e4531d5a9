// The host's filter record and the records and callbacks it points to, laid out
// exactly as hosts of the filter plug-in interface pass them on Windows.
// Windows-free: pointers and integers only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_types.h"

// Callbacks are plain C functions; on i686 that is cdecl (the caller pops).
extern "C" {
typedef Boolean (*TestAbortProc)(void);
typedef void (*ProgressProc)(int32 done, int32 total);
typedef OSErr (*AdvanceStateProc)(void);
typedef void (*HostProc)(int16 selector, intptr_t* data);
typedef void (*ProcessEventProc)(void* event);
typedef OSErr (*ColorServicesProc)(void* info);
typedef OSErr (*GetPropertyProc)(OSType signature, OSType key, int32 index,
                                 intptr_t* simpleProperty, Handle* complexProperty);

typedef Handle (*NewPIHandleProc)(int32 size);
typedef void (*DisposePIHandleProc)(Handle h);
typedef int32 (*GetPIHandleSizeProc)(Handle h);
typedef OSErr (*SetPIHandleSizeProc)(Handle h, int32 newSize);
typedef Ptr (*LockPIHandleProc)(Handle h, Boolean moveHigh);
typedef void (*UnlockPIHandleProc)(Handle h);
typedef void (*RecoverSpaceProc)(int32 size);
typedef void (*DisposeRegularHandlePIHandleProc)(Handle h);
}

// Natural alignment, as the host declares it.
struct HandleProcs {
    int16 handleProcsVersion;  // usable only when exactly 1
    int16 numHandleProcs;      // procedure slots that follow
    NewPIHandleProc newProc;
    DisposePIHandleProc disposeProc;
    GetPIHandleSizeProc getSizeProc;
    SetPIHandleSizeProc setSizeProc;
    LockPIHandleProc lockProc;
    UnlockPIHandleProc unlockProc;
    RecoverSpaceProc recoverSpaceProc;
    DisposeRegularHandlePIHandleProc disposeRegularHandleProc;
};

// The host window that owns the plug-in's dialogs (pointer-sized on both targets).
struct PlatformData {
    intptr_t hwnd;
};

struct AboutRecord {
    void* platformData;  // -> PlatformData
    void* sSPBasic;
    void* plugInRef;
    char reserved[244];
};

struct PSPixelMask {
    PSPixelMask* next;
    void* maskData;
    int32 rowBytes;
    int32 colBytes;
    int32 maskDescription;
};

// Version 1 of the pixel map handed to displayPixels.
struct PSPixelMap {
    int32 version;
    VRect bounds;
    int32 imageMode;
    int32 rowBytes;
    int32 colBytes;
    int32 planeBytes;
    void* baseAddr;
    PSPixelMask* mat;
    PSPixelMask* masks;
    int32 maskPhaseRow;
    int32 maskPhaseCol;
};

extern "C" {
typedef OSErr (*DisplayPixelsProc)(const PSPixelMap* source, const VRect* srcRect, int32 dstRow,
                                   int32 dstCol, void* platformContext);
}

#pragma pack(push, 1)
struct FilterCaseInfo {
    char inputHandling;
    char outputHandling;
    char flags1;
    char flags2;
};
#pragma pack(pop)

// The host packs the filter record to 4 bytes on both targets, so x64 pointers
// sit at 4-byte offsets.
#pragma pack(push, 4)
struct FilterRecord {
    int32 serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point imageSize;
    int16 planes;
    Rect filterRect;
    RGBColor background;
    RGBColor foreground;
    int32 maxSpace;
    int32 bufferSpace;
    Rect inRect;
    int16 inLoPlane;
    int16 inHiPlane;
    Rect outRect;
    int16 outLoPlane;
    int16 outHiPlane;
    void* inData;
    int32 inRowBytes;
    void* outData;
    int32 outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect maskRect;
    void* maskData;
    int32 maskRowBytes;
    FilterColor backColor;
    FilterColor foreColor;
    OSType hostSig;
    HostProc hostProc;
    int16 imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    Point floatCoord;
    Point wholeSize;
    PlugInMonitor monitor;
    void* platformData;  // -> PlatformData
    void* bufferProcs;
    void* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    int16 wantLayout;
    int16 filterCase;
    int16 dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    int16 inputPadding;
    int16 outputPadding;
    int16 maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    int16 inLayerPlanes;
    int16 inTransparencyMask;
    int16 inLayerMasks;
    int16 inInvertedLayerMasks;
    int16 inNonLayerPlanes;
    int16 outLayerPlanes;
    int16 outTransparencyMask;
    int16 outLayerMasks;
    int16 outInvertedLayerMasks;
    int16 outNonLayerPlanes;
    int16 absLayerPlanes;
    int16 absTransparencyMask;
    int16 absLayerMasks;
    int16 absInvertedLayerMasks;
    int16 absNonLayerPlanes;
    int16 inPreDummyPlanes;
    int16 inPostDummyPlanes;
    int16 outPreDummyPlanes;
    int16 outPostDummyPlanes;
    int32 inColumnBytes;
    int32 inPlaneBytes;
    int32 outColumnBytes;
    int32 outPlaneBytes;
    void* imageServicesProcs;
    void* propertyProcs;
    int16 inTileHeight;
    int16 inTileWidth;
    Point inTileOrigin;
    int16 absTileHeight;
    int16 absTileWidth;
    Point absTileOrigin;
    int16 outTileHeight;
    int16 outTileWidth;
    Point outTileOrigin;
    int16 maskTileHeight;
    int16 maskTileWidth;
    Point maskTileOrigin;
    void* descriptorParameters;
    void* errorString;
    void* channelPortProcs;
    void* documentInfo;
    void* sSPBasic;
    void* plugInRef;
    int32 depth;
    Handle iCCprofileData;
    int32 iCCprofileSize;
    int32 canUseICCProfiles;
    int32 hasImageScrap;
    void* bigDocumentData;
    void* input3DScene;
    void* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    int32 iCCWorkingProfileSize;
    int64_t bufferSpace64;
    int64_t maxSpace64;
    char reserved[46];
};
#pragma pack(pop)

extern "C" {
// The module's one export. On i686 it is cdecl, undecorated.
typedef void (*PluginEntryProc)(int16 selector, void* record, intptr_t* data, int16* result);
}
