// The probe's About box. PROBE_ABOUT_MODE=message shows an error message box with no
// owner instead (as a module does for a host it cannot work with); PROBE_ABOUT_MODE=leak
// keeps the box's picture undeleted, so a host's object count has a leak to find.
#include "probe_about.h"

#include <string>

#include "probe_ids.h"
#include "probe_pictures.h"
#include "probe_report.h"

namespace {

constexpr int kPictureWidth = 200;
constexpr int kPictureHeight = 120;
const COLORREF kPictureColour = RGB(40, 60, 200);
const char kMessageText[] = "The probe cannot work with this host";
const char kMessageCaption[] = "Probe message";
constexpr int kModeCharacters = 32;

std::string aboutMode() {
    char value[kModeCharacters] = "";
    GetEnvironmentVariableA("PROBE_ABOUT_MODE", value, sizeof value);
    return value;
}

HBITMAP aboutPicture = nullptr;  // lives while the box is open

BOOL onInitDialog(HWND box, HWND owner) {
    aboutPicture = makeSolidBitmap(kPictureWidth, kPictureHeight, kPictureColour);
    SendDlgItemMessageA(box, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(aboutPicture));
    RECT frame = {0, 0, kPictureWidth, kPictureHeight};
    AdjustWindowRectEx(&frame, GetWindowLongA(box, GWL_STYLE), FALSE,
                       GetWindowLongA(box, GWL_EXSTYLE));
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    RECT ownerFrame = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &ownerFrame);
    int x = ownerFrame.left + (ownerFrame.right - ownerFrame.left - width) / 2;
    int y = ownerFrame.top + (ownerFrame.bottom - ownerFrame.top - height) / 2;
    SetWindowPos(box, HWND_TOP, x, y, width, height, 0);
    return TRUE;
}

void onCommand(HWND box, int id, int code) {
    if (code != 0) {  // a double click (STN_DBLCLK) is not a close
        reportLine("about-notify", std::to_string(id) + ":" + std::to_string(code));
        return;
    }
    const char* how = id == IDOK ? "enter" : id == IDCANCEL ? "escape" : "click";
    reportLine("about", how);
    EndDialog(box, id);
}

INT_PTR CALLBACK aboutProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInitDialog(box, reinterpret_cast<HWND>(lParam));
        case WM_COMMAND:
            onCommand(box, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void runProbeAbout(HINSTANCE module, HWND owner) {
    const std::string mode = aboutMode();
    if (mode == "message") {
        const int answer = MessageBoxA(nullptr, kMessageText, kMessageCaption, MB_OK | MB_ICONERROR);
        reportLine("about-message", std::to_string(answer));
        return;
    }
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_PROBE_ABOUT), owner, aboutProcedure,
                    reinterpret_cast<LPARAM>(owner));
    if (aboutPicture && mode != "leak") DeleteObject(aboutPicture);
    aboutPicture = nullptr;
}
