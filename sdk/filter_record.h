// The host's filter record and the records and callbacks it points to: one field
// list, laid out as hosts of the filter plug-in interface pass it on each
// platform. Windows hosts pack the filter record to 4 bytes (so x64 pointers sit
// at 4-byte offsets) and FilterCaseInfo to 1; 64-bit macOS hosts use natural
// alignment throughout, which moves every filter record field from abortProc on.
// Every other platform is laid out as the Mac, which is how the native build
// checks the Mac layout (sdk/layout_checks.h). Pointers and integers only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_suites.h"
#include "host_types.h"

// Callbacks are plain C functions; on i686 that is cdecl (the caller pops).
extern "C" {
typedef Boolean (*TestAbortProc)(void);
typedef void (*ProgressProc)(int32 done, int32 total);
typedef OSErr (*AdvanceStateProc)(void);
typedef void (*HostProc)(int16 selector, intptr_t* data);
typedef void (*ProcessEventProc)(void* event);
typedef OSErr (*ColorServicesProc)(void* info);
}

#ifdef _WIN32
// The host window that owns the plug-in's dialogs (pointer-sized on both widths).
struct PlatformData {
    intptr_t hwnd;
};
#else
// A Mac host names no window: the record holds a placeholder and is never read.
struct PlatformData {
    int16 dummy;
};

// What displayPixels takes as its platformContext on the Mac: never null there.
struct PSPlatformContext {
    void* fCGContextRef;  // the CoreGraphics context to draw into
    VRect fScreenRect;    // the destination in the view's coordinates
};
#endif

// Natural alignment on both platforms.
struct AboutRecord {
    void* platformData;  // -> PlatformData
    SPBasicSuite* sSPBasic;
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

#ifdef _WIN32
#pragma pack(push, 1)
#endif
struct FilterCaseInfo {
    char inputHandling;
    char outputHandling;
    char flags1;
    char flags2;
};
#ifdef _WIN32
#pragma pack(pop)
#endif

// Windows: packed to 4 bytes on both widths. Mac: natural alignment.
#ifdef _WIN32
#pragma pack(push, 4)
#endif
// 32-bit coordinates for hosts that offer them (all int32: no padding anywhere).
struct BigDocumentStruct {
    int32 PluginUsing32BitCoordinates;
    VPoint imageSize32;
    VRect filterRect32;
    VRect inRect32;
    VRect outRect32;
    VRect maskRect32;
    VPoint floatCoord32;
    VPoint wholeSize32;
};

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
    BufferProcs* bufferProcs;
    ResourceProcs* resourceProcs;
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
    PropertyProcs* propertyProcs;
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
    SPBasicSuite* sSPBasic;
    void* plugInRef;
    int32 depth;
    Handle iCCprofileData;
    int32 iCCprofileSize;
    int32 canUseICCProfiles;
    int32 hasImageScrap;
    BigDocumentStruct* bigDocumentData;
    void* input3DScene;
    void* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    int32 iCCWorkingProfileSize;
    int64_t bufferSpace64;
    int64_t maxSpace64;
    char reserved[46];
};
#ifdef _WIN32
#pragma pack(pop)
#endif

extern "C" {
// The module's one export: a plain C function on both platforms (on i686 cdecl, undecorated).
typedef void (*PluginEntryProc)(int16 selector, void* record, intptr_t* data, int16* result);
}
