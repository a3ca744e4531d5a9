#include "plughost/module/gdi_counter.h"

#include <cstdio>
#include <set>

#include "plughost/cli/trace.h"
#include "plughost/module/import_patch.h"
#include "plughost/record/callback_clock.h"

namespace {

struct GdiCounts {
    int created = 0;
    int deleted = 0;
    std::set<HANDLE> alive;
};

GdiCounts counts;

template <typename H>
H counted(const char* maker, H handle) {
    traceLine("gdi create %s -> 0x%llX", maker,
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    if (handle != nullptr) {
        ++counts.created;
        counts.alive.insert(reinterpret_cast<HANDLE>(handle));
    }
    return handle;
}

BOOL deleted(HANDLE handle, BOOL result) {
    traceLine("gdi delete 0x%llX -> %d",
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)), int(result));
    if (result) {
        ++counts.deleted;
        counts.alive.erase(handle);
    }
    return result;
}

HBRUSH WINAPI countCreateSolidBrush(COLORREF colour) {
    CallbackClock clock;
    return counted("CreateSolidBrush", CreateSolidBrush(colour));
}
HBRUSH WINAPI countCreateBrushIndirect(const LOGBRUSH* brush) {
    CallbackClock clock;
    return counted("CreateBrushIndirect", CreateBrushIndirect(brush));
}
HPEN WINAPI countCreatePen(int style, int width, COLORREF colour) {
    CallbackClock clock;
    return counted("CreatePen", CreatePen(style, width, colour));
}
HFONT WINAPI countCreateFontA(int height, int width, int escapement, int orientation, int weight,
                              DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                              DWORD precision, DWORD clipPrecision, DWORD quality, DWORD pitch,
                              LPCSTR face) {
    CallbackClock clock;
    return counted("CreateFontA",
                   CreateFontA(height, width, escapement, orientation, weight, italic, underline,
                               strikeOut, charSet, precision, clipPrecision, quality, pitch, face));
}
HFONT WINAPI countCreateFontW(int height, int width, int escapement, int orientation, int weight,
                              DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                              DWORD precision, DWORD clipPrecision, DWORD quality, DWORD pitch,
                              LPCWSTR face) {
    CallbackClock clock;
    return counted("CreateFontW",
                   CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                               strikeOut, charSet, precision, clipPrecision, quality, pitch, face));
}
HFONT WINAPI countCreateFontIndirectA(const LOGFONTA* font) {
    CallbackClock clock;
    return counted("CreateFontIndirectA", CreateFontIndirectA(font));
}
HFONT WINAPI countCreateFontIndirectW(const LOGFONTW* font) {
    CallbackClock clock;
    return counted("CreateFontIndirectW", CreateFontIndirectW(font));
}
HDC WINAPI countCreateCompatibleDC(HDC context) {
    CallbackClock clock;
    return counted("CreateCompatibleDC", CreateCompatibleDC(context));
}
HBITMAP WINAPI countCreateCompatibleBitmap(HDC context, int width, int height) {
    CallbackClock clock;
    return counted("CreateCompatibleBitmap", CreateCompatibleBitmap(context, width, height));
}
HBITMAP WINAPI countCreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                                 const void* bits) {
    CallbackClock clock;
    return counted("CreateBitmap", CreateBitmap(width, height, planes, bitsPerPixel, bits));
}
HBITMAP WINAPI countCreateDIBSection(HDC context, const BITMAPINFO* info, UINT usage, void** bits,
                                     HANDLE section, DWORD offset) {
    CallbackClock clock;
    return counted("CreateDIBSection",
                   CreateDIBSection(context, info, usage, bits, section, offset));
}
HRGN WINAPI countCreateRectRgn(int left, int top, int right, int bottom) {
    CallbackClock clock;
    return counted("CreateRectRgn", CreateRectRgn(left, top, right, bottom));
}
HBITMAP WINAPI countLoadBitmapA(HINSTANCE module, LPCSTR name) {
    CallbackClock clock;
    return counted("LoadBitmapA", LoadBitmapA(module, name));
}
HBITMAP WINAPI countLoadBitmapW(HINSTANCE module, LPCWSTR name) {
    CallbackClock clock;
    return counted("LoadBitmapW", LoadBitmapW(module, name));
}
HANDLE WINAPI countLoadImageA(HINSTANCE module, LPCSTR name, UINT type, int width, int height,
                              UINT flags) {
    CallbackClock clock;
    return counted("LoadImageA", LoadImageA(module, name, type, width, height, flags));
}
HANDLE WINAPI countLoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int width, int height,
                              UINT flags) {
    CallbackClock clock;
    return counted("LoadImageW", LoadImageW(module, name, type, width, height, flags));
}
BOOL WINAPI countDeleteObject(HGDIOBJ object) {
    CallbackClock clock;
    return deleted(object, DeleteObject(object));
}
BOOL WINAPI countDeleteDC(HDC context) {
    CallbackClock clock;
    return deleted(context, DeleteDC(context));
}

}  // namespace

void installGdiCounting(HMODULE module) {
    static const struct {
        const char* name;
        void* wrapper;
    } kWrappers[] = {
        {"CreateSolidBrush", reinterpret_cast<void*>(countCreateSolidBrush)},
        {"CreateBrushIndirect", reinterpret_cast<void*>(countCreateBrushIndirect)},
        {"CreatePen", reinterpret_cast<void*>(countCreatePen)},
        {"CreateFontA", reinterpret_cast<void*>(countCreateFontA)},
        {"CreateFontW", reinterpret_cast<void*>(countCreateFontW)},
        {"CreateFontIndirectA", reinterpret_cast<void*>(countCreateFontIndirectA)},
        {"CreateFontIndirectW", reinterpret_cast<void*>(countCreateFontIndirectW)},
        {"CreateCompatibleDC", reinterpret_cast<void*>(countCreateCompatibleDC)},
        {"CreateCompatibleBitmap", reinterpret_cast<void*>(countCreateCompatibleBitmap)},
        {"CreateBitmap", reinterpret_cast<void*>(countCreateBitmap)},
        {"CreateDIBSection", reinterpret_cast<void*>(countCreateDIBSection)},
        {"CreateRectRgn", reinterpret_cast<void*>(countCreateRectRgn)},
        {"LoadBitmapA", reinterpret_cast<void*>(countLoadBitmapA)},
        {"LoadBitmapW", reinterpret_cast<void*>(countLoadBitmapW)},
        {"LoadImageA", reinterpret_cast<void*>(countLoadImageA)},
        {"LoadImageW", reinterpret_cast<void*>(countLoadImageW)},
        {"DeleteObject", reinterpret_cast<void*>(countDeleteObject)},
        {"DeleteDC", reinterpret_cast<void*>(countDeleteDC)},
    };
    for (const auto& entry : kWrappers) patchModuleImport(module, entry.name, entry.wrapper);
}

void printGdiCounts() {
    std::printf("gdi: created %d deleted %d alive %d\n", counts.created, counts.deleted,
                int(counts.alive.size()));
}
