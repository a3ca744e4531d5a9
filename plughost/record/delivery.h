// What the host does inside advanceState (and before each Continue): write the
// module's previous output back into the document, then hand over inData,
// outData and maskData for the rectangles the module asked for, sampled and
// padded as it asked. Windows-free, so the rules can be tested natively.
#pragma once

#include <string>

#include "plughost/pictures/host_image.h"
#include "sdk/filter_record.h"

// Bytes the host adds to every row beyond width x planes, at least
// kMinRowSlack and up to a multiple of 8, so a module that assumes tight rows
// goes wrong visibly.
constexpr int32 kMinRowSlack = 8;
// Fill of the row slack; a change in outData's slack is reported as a write
// outside the rectangle.
constexpr uint8 kRowSlackByte = 0xEE;
// The "undefined" padding (-2): bytes alternate by (row + column) parity.
constexpr uint8 kJunkEven = 0xA5;
constexpr uint8 kJunkOdd = 0x5A;

// Where outRect may lie.
enum class OutRectRule {
    // Inside filterRect at input rate 1.0. A module that asked for reduced
    // input (inputRate above 1.0) works in sampled coordinates, as for a
    // preview: then inside the image scaled down by that rate (rounded up).
    FollowRate,
    FilterRect,  // inside filterRect, whatever the rate
    Image,       // anywhere in the image
};

struct DeliveryPolicy {
    bool supportsPadding = true;  // false: clip inRect and maskRect to the image instead
    // true: checksum inData and maskData as handed over and after every call, so a
    // module that writes into its input is caught; costs several times the filter.
    bool verifyInput = false;
    char samplingSupport = 1;  // 0 none, 1 whole factors, 2 any factor
    OutRectRule outRect = OutRectRule::FollowRate;
    // As a host that ignores the output plane fields: output always holds every
    // plane of the image, and outLoPlane/outHiPlane read 0 after each delivery.
    bool zeroOutPlanes = false;
};

// The document the buffers come from and go to.
struct HostDocument {
    const HostImage* source = nullptr;  // the picture before filtering: inData comes from it
    HostImage* target = nullptr;        // the destination: outData comes from and goes back to it
    const HostMask* mask = nullptr;     // the selection mask, null without one
    Rect filterRect = {};
};

// One buffer handed to the module.
struct DeliveredBuffer {
    uint8* data = nullptr;  // fenced (guarded_memory); null when the rectangle is empty
    Rect rect = {};         // as delivered; in sampled coordinates for input and mask
    int16 loPlane = 0;
    int16 hiPlane = 0;
    int32 rowBytes = 0;
    int32 rowDataBytes = 0;  // width x planes: the part of a row that holds pixels
    Fixed rate = kFixedOne;  // the sampling rate in effect; above 1.0 for output, a preview's
    uint32 checksum = 0;     // input and mask: checksum of the bytes as handed over
};

struct DeliveryState {
    DeliveredBuffer in;
    DeliveredBuffer out;
    DeliveredBuffer mask;
    bool outPending = false;   // `out` may hold output not yet written back
    bool verifyInput = false;  // the checksums of `in` and `mask` were taken
};

struct DeliveryReport {
    int16 result = 0;  // 0, or paramErr with `reason`
    std::string reason;
    bool inRectChanged = false;  // the host clipped inRect (supportsPadding off)
    bool maskRectChanged = false;
    Rect deliveredIn = {};
    Rect deliveredMask = {};
    Fixed inRate = kFixedOne;  // the rates the host applied
    Fixed maskRate = kFixedOne;
};

// The rate the host applies for a requested one: 0 reads as 1.0; without
// sampling support 1.0; with whole-factor support the nearest whole factor.
Fixed effectiveRate(Fixed requested, char samplingSupport);

// Rows (or columns) of the image sampled at `rate`: ceil(extent / rate).
int32 sampledExtent(int32 extent, Fixed rate);

// Checks the buffers the module holds: fences, outData's row slack, and that
// inData and maskData still hold what was handed over. False with a message
// naming the buffer.
bool checkDeliveredBuffers(const DeliveryState& state, std::string* fault);

// Writes the previous output (the part of its rectangle inside the image, its
// planes only; nothing for output in sampled coordinates) into the document, blended with the
// source through the mask when `autoMask` is on and there is a mask.
void writeBackOutput(DeliveryState* state, const HostDocument& document, bool autoMask);

// Frees the buffers and clears the record's pointers to them.
void releaseDelivered(DeliveryState* state, FilterRecord* record);

// Hands over new buffers for the record's rectangles. Returns 0, or paramErr
// (-50) when a request cannot be served; the reason is in the report.
int16 deliverBuffers(FilterRecord* record, DeliveryState* state, const HostDocument& document,
                     const DeliveryPolicy& policy, DeliveryReport* report);
