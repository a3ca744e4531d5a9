// ProbeFilter.8bf: a small filter module whose behaviour is chosen by the
// PROBE environment variable (probe_settings.h). It exercises the host's paths
// that the real module relies on, and breaks the rules on purpose where a test
// wants to see the host catch it.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "probe_settings.h"
#include "sdk/filter_record.h"
#include "sdk/host_constants.h"

namespace {

constexpr uint32 kParamsMagic = 0x50524250;  // "PRBP"
constexpr int32 kParamsSize = 8;             // magic, run counter
constexpr int32 kHandleTestSize = 100;
constexpr int32 kHandleGrownSize = 200;
constexpr uint8 kHandleTestByte = 0x5C;
constexpr uint8 kStrayByte = 0x42;
constexpr uint8 kFull = 255;
constexpr int32 kHangSleepMs = 50;
// An address in the never-mapped first page. Read through a volatile, so the
// compiler cannot see a null dereference and turn it into a trap instruction:
// the probe must crash with an access violation.
volatile uintptr_t unmappedAddress = 0x10;

struct Strip {
    int32 top;
    int32 bottom;
};

FILE* openDump(const ProbeSettings& s) {
    return s.dumpPath.empty() ? nullptr : std::fopen(s.dumpPath.c_str(), "ab");
}

void dumpLine(const ProbeSettings& s, const std::string& line) {
    if (FILE* f = openDump(s)) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string rectText(const Rect& r) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", r.top, r.left, r.bottom, r.right);
    return text;
}

bool rectEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

// Writes a delivered buffer as text: a header, then one line of hex per row.
void dumpBuffer(const ProbeSettings& s, const char* name, const Rect& rect, const void* data,
                int32 rowBytes, int32 planeCount) {
    FILE* f = openDump(s);
    if (f == nullptr) return;
    std::fprintf(f, "%s rect=%s rowBytes=%d planes=%d data=%s\n", name, rectText(rect).c_str(),
                 int(rowBytes), int(planeCount), data ? "yes" : "null");
    if (data != nullptr && !rectEmpty(rect)) {
        const int32 width = (rect.right - rect.left) * planeCount;
        for (int32 y = 0; y < rect.bottom - rect.top; ++y) {
            const uint8* row = static_cast<const uint8*>(data) + y * rowBytes;
            for (int32 b = 0; b < width; ++b) std::fprintf(f, "%02x", row[b]);
            std::fprintf(f, "\n");
        }
    }
    std::fclose(f);
}

void choosePlanes(const ProbeSettings& s, FilterRecord* r) {
    r->inLoPlane = r->outLoPlane = s.setPlanes ? s.loPlane : 0;
    r->inHiPlane = r->outHiPlane = s.setPlanes ? s.hiPlane : int16(r->planes - 1);
}

void choosePadding(const ProbeSettings& s, FilterRecord* r) {
    if (s.setInPad) r->inputPadding = s.inPad;
    if (s.setOutPad) r->outputPadding = s.outPad;
    if (s.setMaskPad) r->maskPadding = s.maskPad;
}

void setStripRects(const ProbeSettings& s, FilterRecord* r, const Strip& strip) {
    r->outRect =
        Rect{int16(strip.top), r->filterRect.left, int16(strip.bottom), r->filterRect.right};
    r->inRect = Rect{int16(strip.top - s.margin), int16(r->filterRect.left - s.margin),
                     int16(strip.bottom + s.margin), int16(r->filterRect.right + s.margin)};
}

// Output = input (or its inverse) over outRect, from an input grown by margin.
void processStrip(const ProbeSettings& s, FilterRecord* r, bool invert) {
    const int32 planeCount = r->outHiPlane - r->outLoPlane + 1;
    const int32 width = r->outRect.right - r->outRect.left;
    const int32 height = r->outRect.bottom - r->outRect.top;
    const int32 inPlanes = r->inHiPlane - r->inLoPlane + 1;
    for (int32 y = 0; y < height; ++y) {
        const uint8* in = static_cast<const uint8*>(r->inData) + (y + s.margin) * r->inRowBytes +
                          s.margin * inPlanes;
        uint8* out = static_cast<uint8*>(r->outData) + y * r->outRowBytes;
        for (int32 b = 0; b < width * planeCount; ++b) {
            out[b] = invert ? uint8(kFull - in[b]) : in[b];
        }
    }
}

Strip firstStrip(const ProbeSettings& s, const FilterRecord* r) {
    const int32 top = r->filterRect.top;
    const int32 bottom =
        top + s.strip < r->filterRect.bottom ? top + s.strip : r->filterRect.bottom;
    return Strip{top, bottom};
}

// The whole pass inside Start, strip by strip through advanceState, with
// progress and abort before every strip.
int16 stripPass(const ProbeSettings& s, FilterRecord* r) {
    choosePlanes(s, r);
    choosePadding(s, r);
    r->inputRate = s.rate;
    const int32 total = r->filterRect.bottom - r->filterRect.top;
    int16 result = noErr;
    for (int32 top = r->filterRect.top; top < r->filterRect.bottom; top += s.strip) {
        if (r->progressProc) r->progressProc(top - r->filterRect.top, total);
        if (r->abortProc && r->abortProc()) {
            result = kAlreadyReported;
            break;
        }
        const int32 bottom =
            top + s.strip < r->filterRect.bottom ? top + s.strip : r->filterRect.bottom;
        setStripRects(s, r, Strip{top, bottom});
        result = r->advanceState();
        if (result != noErr) break;
        processStrip(s, r, s.mode == "invert");
        if (bottom == r->filterRect.bottom) {
            const int32 height = bottom - top;
            const int32 rowEnd =
                (r->outRect.right - r->outRect.left) * (r->outHiPlane - r->outLoPlane + 1);
            uint8* out = static_cast<uint8*>(r->outData);
            uint8* in = static_cast<uint8*>(r->inData);
            if (s.mode == "write-past-row") out[rowEnd] = kStrayByte;
            if (s.mode == "write-past-buffer") out[height * r->outRowBytes] = kStrayByte;
            if (s.mode == "write-before-buffer") out[-1] = kStrayByte;
            if (s.mode == "write-input") in[0] = uint8(in[0] ^ kFull);
        }
    }
    r->inRect = r->outRect = Rect{0, 0, 0, 0};
    return result;
}

// Asks once for the rectangles of the settings and writes what arrived.
int16 dumpPass(const ProbeSettings& s, FilterRecord* r) {
    choosePlanes(s, r);
    choosePadding(s, r);
    r->inputRate = s.rate;
    r->maskRate = s.maskRate;
    r->inRect = s.in;
    r->outRect = s.out;
    if (s.hasMask) r->maskRect = s.mask;
    const int16 result = r->advanceState();
    dumpLine(s, "advance -> " + std::to_string(result) + " inRect=" + rectText(r->inRect) +
                    " inColumnBytes=" + std::to_string(r->inColumnBytes) +
                    " inPlaneBytes=" + std::to_string(r->inPlaneBytes));
    if (result == noErr) {
        dumpBuffer(s, "in", r->inRect, r->inData, r->inRowBytes, r->inHiPlane - r->inLoPlane + 1);
        dumpBuffer(s, "out", r->outRect, r->outData, r->outRowBytes,
                   r->outHiPlane - r->outLoPlane + 1);
        if (s.hasMask) dumpBuffer(s, "mask", r->maskRect, r->maskData, r->maskRowBytes, 1);
    }
    r->inRect = r->outRect = r->maskRect = Rect{0, 0, 0, 0};
    return result;
}

// The classic protocol: Start asks for the first strip, each Continue
// processes what arrived and asks for the next; the last one empties the rects.
int16 continueStart(const ProbeSettings& s, FilterRecord* r) {
    choosePlanes(s, r);
    choosePadding(s, r);
    setStripRects(s, r, firstStrip(s, r));
    return noErr;
}

int16 continueStep(const ProbeSettings& s, FilterRecord* r) {
    if (s.mode == "forever") return noErr;  // never empties its rectangles
    if (rectEmpty(r->outRect)) return noErr;
    processStrip(s, r, false);
    const int32 top = r->outRect.bottom;
    if (top >= r->filterRect.bottom) {
        r->inRect = r->outRect = Rect{0, 0, 0, 0};
        return noErr;
    }
    const int32 bottom =
        top + s.strip < r->filterRect.bottom ? top + s.strip : r->filterRect.bottom;
    setStripRects(s, r, Strip{top, bottom});
    return noErr;
}

bool hostHandlesUsable(const FilterRecord* r) {
    const HandleProcs* p = r->handleProcs;
    return p && p->handleProcsVersion == 1 && p->numHandleProcs >= 6 && p->newProc &&
           p->disposeProc && p->getSizeProc && p->setSizeProc && p->lockProc && p->unlockProc;
}

// A handle of the host's, or the global memory form when its procs are not usable.
Handle newProbeHandle(const FilterRecord* r, int32 size) {
    if (hostHandlesUsable(r)) return r->handleProcs->newProc(size);
    HGLOBAL master = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(void*));
    HGLOBAL data = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size_t(size));
    void** slot = static_cast<void**>(GlobalLock(master));
    *slot = data;
    GlobalUnlock(master);
    return reinterpret_cast<Handle>(master);
}

char* lockProbeHandle(const FilterRecord* r, Handle h) {
    if (hostHandlesUsable(r)) return r->handleProcs->lockProc(h, 0);
    void** slot = static_cast<void**>(GlobalLock(reinterpret_cast<HGLOBAL>(h)));
    char* data = slot ? static_cast<char*>(*slot) : nullptr;
    GlobalUnlock(reinterpret_cast<HGLOBAL>(h));
    return data;
}

void unlockProbeHandle(const FilterRecord* r, Handle h) {
    if (hostHandlesUsable(r)) r->handleProcs->unlockProc(h);
}

void disposeProbeHandle(const FilterRecord* r, Handle h) {
    if (hostHandlesUsable(r)) {
        r->handleProcs->disposeProc(h);
        return;
    }
    void** slot = static_cast<void**>(GlobalLock(reinterpret_cast<HGLOBAL>(h)));
    if (slot && *slot) GlobalFree(*slot);
    GlobalUnlock(reinterpret_cast<HGLOBAL>(h));
    GlobalFree(reinterpret_cast<HGLOBAL>(h));
}

// Parameters: make the 8-byte block (magic, counter 0) unless the host has one.
int16 paramsParameters(const ProbeSettings& s, FilterRecord* r) {
    if (r->parameters == nullptr) {
        r->parameters = newProbeHandle(r, kParamsSize);
        if (r->parameters == nullptr) return memFullErr;
        char* data = lockProbeHandle(r, r->parameters);
        const uint32 block[2] = {kParamsMagic, 0};
        std::memcpy(data, block, sizeof block);
        unlockProbeHandle(r, r->parameters);
    }
    dumpLine(s, std::string("parameters usable=") + (hostHandlesUsable(r) ? "host" : "global"));
    return noErr;
}

// Start: count the run in the block; mode params-null then drops the block.
int16 paramsStart(const ProbeSettings& s, FilterRecord* r) {
    if (r->parameters == nullptr) return nilHandleErr;
    char* data = lockProbeHandle(r, r->parameters);
    if (data == nullptr) return nilHandleErr;
    uint32 block[2];
    std::memcpy(block, data, sizeof block);
    if (block[0] != kParamsMagic) {
        unlockProbeHandle(r, r->parameters);
        return int16(kBlockNotOurs);
    }
    ++block[1];
    std::memcpy(data, block, sizeof block);
    unlockProbeHandle(r, r->parameters);
    dumpLine(s, "count=" + std::to_string(block[1]));
    if (s.mode == "params-null") {
        disposeProbeHandle(r, r->parameters);
        r->parameters = nullptr;
    }
    return noErr;
}

int16 keysStart(const ProbeSettings& s) {
    const SHORT alt = GetAsyncKeyState(VK_MENU);
    char folder[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    char line[MAX_PATH + 64];
    std::snprintf(line, sizeof line, "alt=0x%04X windir=%s length=%u", unsigned(USHORT(alt)),
                  length ? folder : "", length);
    dumpLine(s, line);
    return noErr;
}

// Every handle procedure once, with what it answered.
int16 handlesStart(const ProbeSettings& s, FilterRecord* r) {
    const HandleProcs* p = r->handleProcs;
    if (p == nullptr) return nilHandleErr;
    Handle h = p->newProc(kHandleTestSize);
    char* data = p->lockProc(h, 1);
    std::memset(data, kHandleTestByte, kHandleTestSize);
    p->unlockProc(h);
    const int32 size = p->getSizeProc ? p->getSizeProc(h) : -1;
    const OSErr grown = p->setSizeProc(h, kHandleGrownSize);
    const int32 grownSize = p->getSizeProc ? p->getSizeProc(h) : -1;
    data = p->lockProc(h, 0);
    const bool kept =
        data[0] == char(kHandleTestByte) && data[kHandleTestSize - 1] == char(kHandleTestByte);
    p->unlockProc(h);
    p->disposeProc(h);
    Handle second = p->newProc(1);
    if (p->numHandleProcs >= 8 && p->disposeRegularHandleProc) p->disposeRegularHandleProc(second);
    if (p->numHandleProcs >= 7 && p->recoverSpaceProc) p->recoverSpaceProc(1024);
    dumpLine(s, "size=" + std::to_string(size) + " setsize=" + std::to_string(grown) +
                    " grown=" + std::to_string(grownSize) + " kept=" + (kept ? "yes" : "no"));
    return noErr;
}

// Asks for the whole selection (at the given rate) and shows it with displayPixels.
int16 displayStart(const ProbeSettings& s, FilterRecord* r) {
    choosePlanes(s, r);
    r->inputRate = s.rate;
    const int32 n = s.rate >> 16 > 0 ? s.rate >> 16 : 1;
    const Rect& f = r->filterRect;
    r->inRect = Rect{int16(f.top / n), int16(f.left / n), int16((f.bottom + n - 1) / n),
                     int16((f.right + n - 1) / n)};
    r->outRect = Rect{0, 0, 0, 0};
    int16 result = r->advanceState();
    if (result == noErr && r->displayPixels && r->platformData) {
        PSPixelMap map = {};
        map.version = 1;
        map.bounds = VRect{r->inRect.top, r->inRect.left, r->inRect.bottom, r->inRect.right};
        map.imageMode = r->imageMode;
        map.rowBytes = r->inRowBytes;
        map.colBytes = r->inHiPlane - r->inLoPlane + 1;
        map.planeBytes = 1;
        map.baseAddr = r->inData;
        HWND window = reinterpret_cast<HWND>(static_cast<PlatformData*>(r->platformData)->hwnd);
        HDC context = GetDC(window);
        result = r->displayPixels(&map, &map.bounds, 0, 0, context);
        ReleaseDC(window, context);
    }
    r->inRect = Rect{0, 0, 0, 0};
    return result;
}

int16 aboutSelector(const ProbeSettings& s, const AboutRecord* about) {
    const PlatformData* platform = static_cast<const PlatformData*>(about->platformData);
    const char* owner = platform == nullptr                                ? "none"
                        : platform->hwnd == 0                              ? "null"
                        : IsWindow(reinterpret_cast<HWND>(platform->hwnd)) ? "window"
                                                                           : "invalid";
    dumpLine(s, std::string("about owner=") + owner);
    return noErr;
}

int16 startSelector(const ProbeSettings& s, FilterRecord* r) {
    const std::string& m = s.mode;
    if (m == "crash") {
        *reinterpret_cast<volatile int*>(unmappedAddress) = 1;
        return noErr;
    }
    if (m == "hang") {
        for (;;) Sleep(kHangSleepMs);
    }
    if (m == "fail") return int16(s.code);
    if (m == "nothing") return noErr;
    if (m == "dump") return dumpPass(s, r);
    if (m == "continue" || m == "forever") return continueStart(s, r);
    if (m == "params" || m == "params-null") return paramsStart(s, r);
    if (m == "keys") return keysStart(s);
    if (m == "handles") return handlesStart(s, r);
    if (m == "display") return displayStart(s, r);
    return stripPass(s, r);
}

// Runs in this process so far, counted by Prepare, which every run has.
int runCount = 0;

// Mode scribble: a selector the probe does not know still writes into the
// record and the data slot, which a host's check must notice.
constexpr int32 kScribbleSpace = 4242;
constexpr intptr_t kScribbleData = 0x5C5C;

int16 dispatch(int16 selector, void* record, intptr_t* data) {
    if (selector == filterSelectorPrepare) ++runCount;
    const ProbeSettings s = readProbeSettings(runCount > 0 ? runCount - 1 : 0);
    FilterRecord* r = static_cast<FilterRecord*>(record);
    switch (selector) {
        case filterSelectorAbout:
            return aboutSelector(s, static_cast<const AboutRecord*>(record));
        case filterSelectorParameters:
            return (s.mode == "params" || s.mode == "params-null") ? paramsParameters(s, r) : noErr;
        case filterSelectorPrepare:
            r->bufferSpace = 0;
            return noErr;
        case filterSelectorStart:
            return startSelector(s, r);
        case filterSelectorContinue:
            return continueStep(s, r);
        case filterSelectorFinish:
            return noErr;
        default:
            if (s.mode == "scribble") {
                r->bufferSpace = kScribbleSpace;
                *data = kScribbleData;
            }
            return int16(filterBadParameters);
    }
}

}  // namespace

extern "C" void ProbeMain(int16 selector, void* record, intptr_t* data, int16* result) {
    *result = dispatch(selector, record, data);
}
