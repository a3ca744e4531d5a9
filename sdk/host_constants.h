// Selectors, result codes and the small enumerations of the host interface.
#pragma once

#include "host_types.h"

enum FilterSelector : int16 {
    filterSelectorAbout = 0,
    filterSelectorParameters = 1,
    filterSelectorPrepare = 2,
    filterSelectorStart = 3,
    filterSelectorContinue = 4,
    filterSelectorFinish = 5,
};

// Host result codes.
constexpr int32 noErr = 0;
constexpr int32 paramErr = -50;
constexpr int32 fnfErr = -43;  // also: no Windows directory for the last-used settings
constexpr int32 memFullErr = -108;
constexpr int32 nilHandleErr = -109;
constexpr int32 userCanceledErr = -128;
constexpr int32 resNotFound = -192;  // no filter name in the string table
constexpr int32 filterBadParameters = -30100;
constexpr int32 filterBadMode = -30101;
constexpr int32 kBlockNotOurs = 2002;  // the parameters handle holds someone else's block
constexpr int32 kAlreadyReported = 1;  // cancelled, aborted, or an error box was shown

// Image modes.
constexpr int16 plugInModeGrayScale = 1;
constexpr int16 plugInModeRGBColor = 3;

// Padding requests (inputPadding, outputPadding, maskPadding).
constexpr int16 plugInWantsEdgeReplication = -1;
constexpr int16 plugInDoesNotWantPadding = -2;
constexpr int16 plugInWantsErrorOnBoundsException = -3;

// samplingSupport.
constexpr char hostDoesNotSupportSampling = 0;
constexpr char hostSupportsIntegralSampling = 1;
constexpr char hostSupportsFractionalSampling = 2;

// Filter data handling in 'fici'.
constexpr char filterDataHandlingCantFilter = 0;
constexpr char filterDataHandlingNone = 1;
constexpr char PIFilterDontCopyToDestinationBit = 0x01;

// Four-character codes.
constexpr OSType kPhotoshopSignature = fourCharCode("8BIM");
constexpr OSType kHostSigMFI1 = fourCharCode("MFI1");
