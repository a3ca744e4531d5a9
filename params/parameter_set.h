// The parameter block that lives in the host's parameters handle, and its body,
// the parameter set. Integers are native in memory; files hold them big-endian.
#pragma once

#include "sdk/host_types.h"

constexpr int32 kSettingCount = 3;
constexpr int32 kNameBufferSize = 256;  // length byte + up to 255 characters

// Radiation, Amount, Mist: 0..100 whenever the engine prepares.
enum SettingIndex : int32 { kRadiation = 0, kAmount = 1, kMist = 2 };

struct ParameterSet {
    int32 showDialog;               // nonzero: the next Start shows the dialog
    uint8 name[kNameBufferSize];    // length-prefixed; bytes past the n-th character mean nothing
    int32 settings[kSettingCount];  // Radiation, Amount, Mist
};

struct ParameterBlockHeader {
    OSType signature;  // 'Lmvl'
    OSType kind;       // 'Prms'
    int32 version;     // 3
    OSType tag;        // 'std '
    int32 level;       // 100
    int32 stamp;       // 1684 in new blocks, 1685 in saved files; nobody tests it
};

struct ParameterBlock {
    ParameterBlockHeader header;
    ParameterSet body;
    uint8 reserved[4];  // never read or written
};

constexpr int32 kParameterBlockSize = 300;
static_assert(sizeof(ParameterSet) == 272, "ParameterSet is 272 bytes");
static_assert(sizeof(ParameterBlock) == kParameterBlockSize, "ParameterBlock is 300 bytes");

constexpr OSType kBlockSignature = fourCharCode("Lmvl");
constexpr OSType kBlockKind = fourCharCode("Prms");
constexpr int32 kBlockVersion = 3;
constexpr OSType kBlockTag = fourCharCode("std ");
constexpr int32 kBlockLevel = 100;
constexpr int32 kNewBlockStamp = 1684;
constexpr int32 kSavedFileStamp = 1685;

constexpr int32 kSettingMin = 0;
constexpr int32 kSettingMax = 100;
constexpr int32 kDefaultRadiation = 50;
constexpr int32 kDefaultAmount = 50;
constexpr int32 kDefaultMist = 0;
constexpr char kDefaultName[] = "Untitled parameters";
