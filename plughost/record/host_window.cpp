#include "plughost/record/host_window.h"

#include <commctrl.h>

namespace {

constexpr char kWindowClass[] = "PlughostMainWindow";
constexpr char kWindowTitle[] = "plughost";

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool registerCommonControls() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES;
    return InitCommonControlsEx(&controls) != FALSE;
}

HWND createHostWindow(const HostWindowSettings& settings) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = hostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);

    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame = {0, 0, settings.clientWidth, settings.clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExA(0, kWindowClass, kWindowTitle, style, settings.x, settings.y,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    if (settings.visible) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    pumpHostMessages();
    return window;
}

void pumpHostMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
