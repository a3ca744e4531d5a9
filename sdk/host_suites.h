// The callback suites the filter record points to. They have no packing of
// their own on either platform: natural alignment, the same offsets on Windows
// x64 and 64-bit macOS.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_types.h"

// The PICA basic suite's truth value: a Windows BOOL there, one byte on the Mac.
#ifdef _WIN32
using SPBoolean = int32;
#else
using SPBoolean = uint8;
#endif
using SPErr = int32;

extern "C" {
typedef Handle (*NewPIHandleProc)(int32 size);
typedef void (*DisposePIHandleProc)(Handle h);
typedef int32 (*GetPIHandleSizeProc)(Handle h);
typedef OSErr (*SetPIHandleSizeProc)(Handle h, int32 newSize);
typedef Ptr (*LockPIHandleProc)(Handle h, Boolean moveHigh);
typedef void (*UnlockPIHandleProc)(Handle h);
typedef void (*RecoverSpaceProc)(int32 size);
typedef void (*DisposeRegularHandlePIHandleProc)(Handle h);

typedef void* BufferID;  // opaque to the plug-in
typedef OSErr (*AllocateBufferProc)(int32 size, BufferID* bufferID);
typedef Ptr (*LockBufferProc)(BufferID bufferID, Boolean moveHigh);
typedef void (*UnlockBufferProc)(BufferID bufferID);
typedef void (*FreeBufferProc)(BufferID bufferID);
typedef int32 (*BufferSpaceProc)(void);
typedef OSErr (*ReserveBufferSpaceProc)(int32 size);
typedef OSErr (*AllocateBuffer64Proc)(int64_t size, BufferID* bufferID);
typedef int64_t (*BufferSpace64Proc)(void);

typedef int16 (*CountPIResourcesProc)(OSType type);
typedef Handle (*GetPIResourceProc)(OSType type, int16 index);
typedef void (*DeletePIResourceProc)(OSType type, int16 index);
typedef OSErr (*AddPIResourceProc)(OSType type, Handle data);

typedef OSErr (*GetPropertyProc)(OSType signature, OSType key, int32 index,
                                 intptr_t* simpleProperty, Handle* complexProperty);
typedef OSErr (*SetPropertyProc)(OSType signature, OSType key, int32 index, intptr_t simpleProperty,
                                 Handle complexProperty);

typedef SPErr (*SPAcquireSuiteProc)(const char* name, int32 version, const void** suite);
typedef SPErr (*SPReleaseSuiteProc)(const char* name, int32 version);
typedef SPBoolean (*SPIsEqualProc)(const char* token1, const char* token2);
typedef SPErr (*SPAllocateBlockProc)(size_t size, void** block);
typedef SPErr (*SPFreeBlockProc)(void* block);
typedef SPErr (*SPReallocateBlockProc)(void* block, size_t newSize, void** newBlock);
typedef SPErr (*SPUndefinedProc)(void);
}

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

// The module allocates its own memory; declared for the record's layout.
struct BufferProcs {
    int16 bufferProcsVersion;
    int16 numBufferProcs;
    AllocateBufferProc allocateProc;
    LockBufferProc lockProc;
    UnlockBufferProc unlockProc;
    FreeBufferProc freeProc;
    BufferSpaceProc spaceProc;
    ReserveBufferSpaceProc reserveProc;
    AllocateBuffer64Proc allocateProc64;
    BufferSpace64Proc spaceProc64;
};

struct ResourceProcs {
    int16 resourceProcsVersion;
    int16 numResourceProcs;
    CountPIResourcesProc countProc;
    GetPIResourceProc getProc;
    DeletePIResourceProc deleteProc;
    AddPIResourceProc addProc;
};

struct PropertyProcs {
    int16 propertyProcsVersion;
    int16 numPropertyProcs;
    GetPropertyProc getPropertyProc;
    SetPropertyProc setPropertyProc;
};

struct SPBasicSuite {
    SPAcquireSuiteProc AcquireSuite;
    SPReleaseSuiteProc ReleaseSuite;
    SPIsEqualProc IsEqual;
    SPAllocateBlockProc AllocateBlock;
    SPFreeBlockProc FreeBlock;
    SPReallocateBlockProc ReallocateBlock;
    SPUndefinedProc Undefined;
};
