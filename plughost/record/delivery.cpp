#include "plughost/record/delivery.h"

#include <cstdint>
#include <cstring>

#include "plughost/pictures/rect_utils.h"
#include "plughost/record/guarded_memory.h"
#include "sdk/host_constants.h"

namespace {

constexpr int32 kFixedShift = 16;
constexpr Fixed kFixedHalf = 0x8000;
constexpr int32 kRowAlignment = 8;
constexpr int16 kHighestPaddingByte = 255;
constexpr uint8 kFull = 255;
constexpr uint32 kChecksumSeed = 2166136261u;  // FNV-1a
constexpr uint32 kChecksumPrime = 16777619u;

uint32 checksumOf(const uint8* data) {
    uint32 sum = kChecksumSeed;
    const size_t size = guardedSize(data);
    for (size_t i = 0; i < size; ++i) sum = (sum ^ data[i]) * kChecksumPrime;
    return sum;
}

int32 paddedRowBytes(int32 dataBytes) {
    return ((dataBytes + kRowAlignment - 1) / kRowAlignment) * kRowAlignment + kMinRowSlack;
}

int32 imageCoordinate(int32 sampled, Fixed rate) {
    return int32((int64_t(sampled) * rate) >> kFixedShift);
}

int32 clampTo(int32 value, int32 low, int32 high) {
    return value < low ? low : (value > high ? high : value);
}

// The sampled image as a host rectangle; a fractional rate below 1 can make it
// larger than a rectangle can say, so it is capped.
Rect sampledBounds(const HostImage& image, Fixed rate) {
    constexpr int32 kLargestCoordinate = 32767;
    const int32 height = sampledExtent(image.height, rate);
    const int32 width = sampledExtent(image.width, rate);
    return Rect{0, 0, int16(height < kLargestCoordinate ? height : kLargestCoordinate),
                int16(width < kLargestCoordinate ? width : kLargestCoordinate)};
}

bool paddingIsValid(int16 padding) {
    return padding >= plugInWantsErrorOnBoundsException && padding <= kHighestPaddingByte;
}

// Validates one sampled request (input or mask) against the sampled image
// bounds; clips it when the host does not pad. Returns false with a reason.
bool settleSampledRect(const char* name, Rect* rect, int16 padding, const Rect& bounds,
                       const DeliveryPolicy& policy, bool* changed, std::string* reason) {
    *changed = false;
    if (rectIsEmpty(*rect) || rectInside(*rect, bounds)) return true;
    if (!policy.supportsPadding) {
        *rect = intersectRects(*rect, bounds);
        *changed = true;
        return true;
    }
    if (padding == plugInWantsErrorOnBoundsException) {
        *reason = std::string(name) + " " + rectText(*rect) + " reaches outside the image " +
                  rectText(bounds) + " and its padding is -3 (error on bounds)";
        return false;
    }
    if (!paddingIsValid(padding)) {
        *reason =
            std::string(name) + " padding " + std::to_string(padding) + " is not a padding value";
        return false;
    }
    return true;
}

bool planesAreValid(const char* name, int16 lo, int16 hi, int32 planes, std::string* reason) {
    if (lo >= 0 && lo <= hi && hi < planes) return true;
    *reason = std::string(name) + " planes " + std::to_string(lo) + "-" + std::to_string(hi) +
              " are not within 0-" + std::to_string(planes - 1);
    return false;
}

// A buffer for `rect` and planes lo..hi with padded rows; data null when empty.
bool allocateBuffer(DeliveredBuffer* buffer, const Rect& rect, int16 lo, int16 hi, Fixed rate) {
    buffer->rect = rect;
    buffer->loPlane = lo;
    buffer->hiPlane = hi;
    buffer->rate = rate;
    buffer->data = nullptr;
    buffer->rowBytes = 0;
    buffer->rowDataBytes = 0;
    if (rectIsEmpty(rect)) return true;
    const int32 width = rect.right - rect.left;
    const int32 height = rect.bottom - rect.top;
    buffer->rowDataBytes = width * (hi - lo + 1);
    buffer->rowBytes = paddedRowBytes(buffer->rowDataBytes);
    // Every pixel is written by the delivery that follows; only the slack is set here.
    buffer->data = allocateGuardedUnfilled(size_t(buffer->rowBytes) * size_t(height));
    if (buffer->data == nullptr) return false;
    for (int32 r = 0; r < height; ++r) {
        std::memset(buffer->data + size_t(r) * size_t(buffer->rowBytes) + buffer->rowDataBytes,
                    kRowSlackByte, size_t(buffer->rowBytes - buffer->rowDataBytes));
    }
    return true;
}

uint8 junkByte(int32 row, int32 column) { return ((row + column) & 1) ? kJunkOdd : kJunkEven; }

// Fills a sampled buffer: inside the sampled bounds from `sample`, outside by `padding`.
template <typename SampleFn>
void fillSampled(DeliveredBuffer* buffer, const Rect& bounds, int16 padding, SampleFn sample) {
    if (buffer->data == nullptr) return;
    const int32 planeCount = buffer->hiPlane - buffer->loPlane + 1;
    for (int32 y = buffer->rect.top; y < buffer->rect.bottom; ++y) {
        uint8* row = buffer->data + size_t(y - buffer->rect.top) * size_t(buffer->rowBytes);
        for (int32 x = buffer->rect.left; x < buffer->rect.right; ++x) {
            uint8* pixel = row + size_t(x - buffer->rect.left) * size_t(planeCount);
            const bool inside =
                y >= bounds.top && y < bounds.bottom && x >= bounds.left && x < bounds.right;
            for (int32 p = 0; p < planeCount; ++p) {
                const int32 plane = buffer->loPlane + p;
                if (inside) {
                    pixel[p] = sample(y, x, plane);
                } else if (padding == plugInWantsEdgeReplication) {
                    pixel[p] = sample(clampTo(y, bounds.top, bounds.bottom - 1),
                                      clampTo(x, bounds.left, bounds.right - 1), plane);
                } else if (padding == plugInDoesNotWantPadding) {
                    pixel[p] = junkByte(y, x);
                } else {
                    pixel[p] = uint8(padding);
                }
            }
        }
    }
}

// Planes lo..hi of `count` pixels; one block copy when they are all the planes.
void copyPixels(uint8* to, const uint8* from, int32 count, int32 imagePlanes, int32 lo,
                int32 planeCount) {
    if (planeCount == imagePlanes) {
        std::memcpy(to, from, size_t(count) * size_t(planeCount));
        return;
    }
    for (int32 i = 0; i < count; ++i) {
        for (int32 p = 0; p < planeCount; ++p) {
            to[size_t(i) * size_t(planeCount) + size_t(p)] =
                from[size_t(i) * size_t(imagePlanes) + size_t(lo + p)];
        }
    }
}

// The input at rate 1, row by row: the part inside the image is a copy of the
// image's row (of its nearest row when the module wants the edges repeated);
// only the padding is made pixel by pixel. The same bytes as fillSampled.
void fillUnsampled(DeliveredBuffer* buffer, const HostImage& image, const Rect& bounds,
                   int16 padding) {
    if (buffer->data == nullptr) return;
    const int32 planeCount = buffer->hiPlane - buffer->loPlane + 1;
    const Rect& rect = buffer->rect;
    const int32 spanLeft = clampTo(bounds.left, rect.left, rect.right);
    const int32 spanRight = clampTo(bounds.right, spanLeft, rect.right);
    const bool replicate = padding == plugInWantsEdgeReplication;
    for (int32 y = rect.top; y < rect.bottom; ++y) {
        uint8* row = buffer->data + size_t(y - rect.top) * size_t(buffer->rowBytes);
        const bool rowInside = y >= bounds.top && y < bounds.bottom;
        const int32 imageRow = clampTo(y, bounds.top, bounds.bottom - 1);
        for (int32 x = rect.left; x < rect.right; ++x) {
            if (x == spanLeft && spanRight > spanLeft && (rowInside || replicate)) {
                copyPixels(row + size_t(x - rect.left) * size_t(planeCount),
                           &image.pixels[pixelOffset(image, imageRow, x)], spanRight - spanLeft,
                           image.planes, buffer->loPlane, planeCount);
                x = spanRight - 1;
                continue;
            }
            uint8* pixel = row + size_t(x - rect.left) * size_t(planeCount);
            const int32 imageColumn = clampTo(x, bounds.left, bounds.right - 1);
            for (int32 p = 0; p < planeCount; ++p) {
                if (replicate) {
                    pixel[p] = image.pixels[pixelOffset(image, imageRow, imageColumn) +
                                            size_t(buffer->loPlane + p)];
                } else if (padding == plugInDoesNotWantPadding) {
                    pixel[p] = junkByte(y, x);
                } else {
                    pixel[p] = uint8(padding);
                }
            }
        }
    }
}

void copyFromImage(DeliveredBuffer* buffer, const HostImage& image) {
    if (buffer->data == nullptr) return;
    const int32 planeCount = buffer->hiPlane - buffer->loPlane + 1;
    const Rect& rect = buffer->rect;
    for (int32 y = rect.top; y < rect.bottom; ++y) {
        copyPixels(buffer->data + size_t(y - rect.top) * size_t(buffer->rowBytes),
                   &image.pixels[pixelOffset(image, y, rect.left)], rect.right - rect.left,
                   image.planes, buffer->loPlane, planeCount);
    }
}

bool rowSlackIntact(const DeliveredBuffer& buffer, std::string* fault) {
    if (buffer.data == nullptr) return true;
    const int32 height = buffer.rect.bottom - buffer.rect.top;
    for (int32 r = 0; r < height; ++r) {
        const uint8* row = buffer.data + size_t(r) * size_t(buffer.rowBytes);
        for (int32 b = buffer.rowDataBytes; b < buffer.rowBytes; ++b) {
            if (row[b] != kRowSlackByte) {
                *fault = "the module wrote outside outData's rectangle: row " + std::to_string(r) +
                         ", " + std::to_string(b - buffer.rowDataBytes + 1) +
                         " byte(s) past the row's last pixel (outRect " + rectText(buffer.rect) +
                         ", outRowBytes " + std::to_string(buffer.rowBytes) + ")";
                return false;
            }
        }
    }
    return true;
}

bool fencesIntact(const char* name, const DeliveredBuffer& buffer, std::string* fault) {
    std::string damage;
    if (guardsIntact(buffer.data, &damage)) return true;
    *fault = std::string("the module wrote outside ") + name + ": " + damage + " (rect " +
             rectText(buffer.rect) + ", rowBytes " + std::to_string(buffer.rowBytes) + ")";
    return false;
}

void setRecordPointers(FilterRecord* record, const DeliveryState& state) {
    record->inData = state.in.data;
    record->inRowBytes = state.in.rowBytes;
    record->inColumnBytes = state.in.hiPlane - state.in.loPlane + 1;
    record->inPlaneBytes = 1;
    record->outData = state.out.data;
    record->outRowBytes = state.out.rowBytes;
    record->outColumnBytes = state.out.hiPlane - state.out.loPlane + 1;
    record->outPlaneBytes = 1;
    record->maskData = state.mask.data;
    record->maskRowBytes = state.mask.rowBytes;
}

}  // namespace

Fixed effectiveRate(Fixed requested, char samplingSupport) {
    if (requested <= 0 || samplingSupport == hostDoesNotSupportSampling) return kFixedOne;
    if (samplingSupport == hostSupportsIntegralSampling) {
        const int64_t whole = (int64_t(requested) + kFixedHalf) >> kFixedShift;
        return whole < 1 ? kFixedOne : Fixed(whole << kFixedShift);
    }
    return requested;
}

int32 sampledExtent(int32 extent, Fixed rate) {
    return int32(((int64_t(extent) << kFixedShift) + rate - 1) / rate);
}

bool checkDeliveredBuffers(const DeliveryState& state, std::string* fault) {
    // Without verifyInput no checksum was taken (both are 0) and none is compared.
    if (!fencesIntact("inData", state.in, fault)) return false;
    if (!fencesIntact("outData", state.out, fault)) return false;
    if (!fencesIntact("maskData", state.mask, fault)) return false;
    if (!rowSlackIntact(state.out, fault)) return false;
    if (state.verifyInput && state.in.data && checksumOf(state.in.data) != state.in.checksum) {
        *fault = "the module wrote into inData, its input (inRect " + rectText(state.in.rect) + ")";
        return false;
    }
    if (state.verifyInput && state.mask.data &&
        checksumOf(state.mask.data) != state.mask.checksum) {
        *fault = "the module wrote into maskData, its input (maskRect " +
                 rectText(state.mask.rect) + ")";
        return false;
    }
    return true;
}

void writeBackOutput(DeliveryState* state, const HostDocument& document, bool autoMask) {
    const DeliveredBuffer& out = state->out;
    // Output in sampled coordinates belongs to a preview: it never lands in the document.
    if (!state->outPending || out.data == nullptr || out.rate != kFixedOne) {
        state->outPending = false;
        return;
    }
    state->outPending = false;
    HostImage& target = *document.target;
    const HostImage& source = *document.source;
    const Rect image = {0, 0, int16(target.height), int16(target.width)};
    const Rect area = intersectRects(out.rect, image);
    const int32 planeCount = out.hiPlane - out.loPlane + 1;
    const bool blend = autoMask && document.mask != nullptr;
    for (int32 y = area.top; y < area.bottom; ++y) {
        const uint8* row = out.data + size_t(y - out.rect.top) * size_t(out.rowBytes);
        if (!blend && planeCount == target.planes) {
            std::memcpy(&target.pixels[pixelOffset(target, y, area.left)],
                        row + size_t(area.left - out.rect.left) * size_t(planeCount),
                        size_t(area.right - area.left) * size_t(planeCount));
            continue;
        }
        for (int32 x = area.left; x < area.right; ++x) {
            const uint8* pixel = row + size_t(x - out.rect.left) * size_t(planeCount);
            const size_t at = pixelOffset(target, y, x);
            const int32 weight =
                blend ? document.mask->values[size_t(y) * size_t(target.width) + size_t(x)] : kFull;
            for (int32 p = 0; p < planeCount; ++p) {
                const int32 plane = out.loPlane + p;
                const int32 before = source.pixels[at + size_t(plane)];
                target.pixels[at + size_t(plane)] =
                    uint8((before * (kFull - weight) + pixel[p] * weight + kFull / 2) / kFull);
            }
        }
    }
}

void releaseDelivered(DeliveryState* state, FilterRecord* record) {
    freeGuarded(state->in.data);
    freeGuarded(state->out.data);
    freeGuarded(state->mask.data);
    state->in = DeliveredBuffer();
    state->out = DeliveredBuffer();
    state->mask = DeliveredBuffer();
    state->outPending = false;
    if (record) {
        record->inData = nullptr;
        record->outData = nullptr;
        record->maskData = nullptr;
    }
}

int16 deliverBuffers(FilterRecord* record, DeliveryState* state, const HostDocument& document,
                     const DeliveryPolicy& policy, DeliveryReport* report) {
    *report = DeliveryReport();
    releaseDelivered(state, record);
    const HostImage& source = *document.source;

    Rect in = record->inRect;
    Rect out = record->outRect;
    Rect mask = record->maskRect;
    const bool wantMask = record->haveMask && document.mask != nullptr && !rectIsEmpty(mask);
    report->inRate = effectiveRate(record->inputRate, policy.samplingSupport);
    report->maskRate = effectiveRate(record->maskRate, policy.samplingSupport);
    const Rect inBounds = sampledBounds(source, report->inRate);
    const Rect maskBounds = sampledBounds(source, report->maskRate);
    const Rect imageBounds = {0, 0, int16(source.height), int16(source.width)};
    const bool sampledOutput =
        policy.outRect == OutRectRule::FollowRate && report->inRate > kFixedOne;
    const Rect outBounds = policy.outRect == OutRectRule::Image ? imageBounds
                           : sampledOutput                      ? inBounds
                                                                : document.filterRect;
    const char* outBoundsName = policy.outRect == OutRectRule::Image ? "the image "
                                : sampledOutput ? "the image sampled at inputRate "
                                                : "filterRect ";

    std::string reason;
    bool ok = true;
    if (!rectIsEmpty(in)) {
        ok =
            planesAreValid("input", record->inLoPlane, record->inHiPlane, source.planes, &reason) &&
            settleSampledRect("inRect", &in, record->inputPadding, inBounds, policy,
                              &report->inRectChanged, &reason);
    }
    const int16 outLo = policy.zeroOutPlanes ? int16(0) : record->outLoPlane;
    const int16 outHi = policy.zeroOutPlanes ? int16(source.planes - 1) : record->outHiPlane;
    if (ok && !rectIsEmpty(out)) {
        ok = planesAreValid("output", outLo, outHi, source.planes, &reason);
        if (ok && !rectInside(out, outBounds)) {
            reason =
                "outRect " + rectText(out) + " lies outside " + outBoundsName + rectText(outBounds);
            ok = false;
        }
    }
    if (ok && wantMask) {
        ok = settleSampledRect("maskRect", &mask, record->maskPadding, maskBounds, policy,
                               &report->maskRectChanged, &reason);
    }
    if (!ok) {
        report->result = paramErr;
        report->reason = reason;
        return paramErr;
    }

    const bool allocated =
        allocateBuffer(&state->in, in, record->inLoPlane, record->inHiPlane, report->inRate) &&
        allocateBuffer(&state->out, out, outLo, outHi,
                       sampledOutput ? report->inRate : kFixedOne) &&
        allocateBuffer(&state->mask, wantMask ? mask : Rect{0, 0, 0, 0}, 0, 0, report->maskRate);
    if (!allocated) {
        releaseDelivered(state, record);
        report->result = memFullErr;
        report->reason = "no memory for the buffers";
        return memFullErr;
    }

    const Fixed inRate = report->inRate;
    if (inRate == kFixedOne) {
        fillUnsampled(&state->in, source, inBounds, record->inputPadding);
    } else {
        fillSampled(&state->in, inBounds, record->inputPadding, [&](int32 y, int32 x, int32 plane) {
            return source.pixels[pixelOffset(source, imageCoordinate(y, inRate),
                                             imageCoordinate(x, inRate)) +
                                 size_t(plane)];
        });
    }
    copyFromImage(&state->out, *document.target);
    const Fixed maskRate = report->maskRate;
    const HostMask* hostMask = document.mask;
    fillSampled(&state->mask, maskBounds, record->maskPadding, [&](int32 y, int32 x, int32) {
        return hostMask->values[size_t(imageCoordinate(y, maskRate)) * size_t(hostMask->width) +
                                size_t(imageCoordinate(x, maskRate))];
    });
    state->verifyInput = policy.verifyInput;
    state->in.checksum = policy.verifyInput && state->in.data ? checksumOf(state->in.data) : 0;
    state->mask.checksum =
        policy.verifyInput && state->mask.data ? checksumOf(state->mask.data) : 0;
    state->outPending = state->out.data != nullptr;

    if (report->inRectChanged) record->inRect = in;
    if (report->maskRectChanged) record->maskRect = mask;
    report->deliveredIn = in;
    report->deliveredMask = state->mask.rect;
    setRecordPointers(record, *state);
    if (policy.zeroOutPlanes) record->outLoPlane = record->outHiPlane = 0;
    return noErr;
}
