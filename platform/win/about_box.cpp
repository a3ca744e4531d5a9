// The About box: the About picture in a bordered popup over the host's window,
// closed by a click on the picture, Enter or Escape.

#include "platform/about_box.h"

#include <windows.h>

#include "platform/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

// The picture is 425 x 250; one pixel of border on every side.
constexpr int kBoxWidth = 427;
constexpr int kBoxHeight = 252;
// The box sits centred across the host window and a third of the way down it.
constexpr int kHorizontalShare = 2;
constexpr int kVerticalShare = 3;
constexpr int kCentred = 2;
constexpr COLORREF kBackgroundColour = RGB(238, 238, 238);
constexpr WORD kCloseNotification = 0;  // STN_CLICKED, and IDOK / IDCANCEL from Enter and Escape

// Lives exactly as long as the box; null while no box is open.
HBRUSH aboutBackgroundBrush = nullptr;

void deleteBackgroundBrush() {
    if (aboutBackgroundBrush) DeleteObject(aboutBackgroundBrush);
    aboutBackgroundBrush = nullptr;
}

HWND hostWindowOf(const AboutRecord* record) {
    if (!record) return nullptr;
    const PlatformData* platform = static_cast<const PlatformData*>(record->platformData);
    if (!platform || platform->hwnd == 0) return nullptr;
    HWND window = reinterpret_cast<HWND>(platform->hwnd);
    // A handle that names no window would keep the box from opening at all.
    return IsWindow(window) ? window : nullptr;
}

// The box's top-left corner on the screen: offsets from the host's client
// origin, measured by the host's outer size; centred on the work area of the
// screen when there is no host window.
POINT boxPosition(HWND host) {
    RECT hostBounds;
    if (host && GetWindowRect(host, &hostBounds)) {
        POINT corner = {(hostBounds.right - hostBounds.left - kBoxWidth) / kHorizontalShare,
                        (hostBounds.bottom - hostBounds.top - kBoxHeight) / kVerticalShare};
        ClientToScreen(host, &corner);
        return corner;
    }
    RECT screen;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0)) {
        screen = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return POINT{screen.left + (screen.right - screen.left - kBoxWidth) / kCentred,
                 screen.top + (screen.bottom - screen.top - kBoxHeight) / kCentred};
}

BOOL onInitDialog(HWND box, HWND host) {
    const POINT corner = boxPosition(host);
    SetWindowPos(box, HWND_TOP, corner.x, corner.y, kBoxWidth, kBoxHeight, 0);
    deleteBackgroundBrush();  // only one box is ever open; never leak one all the same
    aboutBackgroundBrush = CreateSolidBrush(kBackgroundColour);
    return TRUE;  // the dialog manager sets the focus
}

INT_PTR onCtlColorStatic(HDC deviceContext) {
    SetBkMode(deviceContext, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(aboutBackgroundBrush);
}

BOOL onCommand(HWND box, WORD notification) {
    // A double click (STN_DBLCLK) alone does not close the box; its first click has.
    if (notification == kCloseNotification) {
        EndDialog(box, 0);
        deleteBackgroundBrush();
    }
    return FALSE;
}

INT_PTR CALLBACK aboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInitDialog(box, reinterpret_cast<HWND>(lParam));
        case WM_CTLCOLORSTATIC:
            return onCtlColorStatic(reinterpret_cast<HDC>(wParam));
        case WM_COMMAND:
            return onCommand(box, HIWORD(wParam));
        case WM_DESTROY:
            // A box destroyed without a closing command (its owner went away) takes its brush
            // along.
            deleteBackgroundBrush();
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void showAboutBox(const AboutRecord* record) {
    HWND host = hostWindowOf(record);
    DialogBoxParamA(moduleInstance(), MAKEINTRESOURCEA(IDD_ABOUT), host, aboutDialogProc,
                    reinterpret_cast<LPARAM>(host));
}
