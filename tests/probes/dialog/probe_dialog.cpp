#include "probe_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "probe_ids.h"
#include "probe_pictures.h"
#include "probe_report.h"
#include "sdk/filter_record.h"
#include "sdk/host_constants.h"

namespace {

constexpr int kSliderMinimum = 0;
constexpr int kSliderMaximum = 100;
constexpr int kSliderStart = 50;
const char kEditStart[] = "start";

constexpr int kPictureWidth = 48;
constexpr int kPictureHeight = 32;
const COLORREF kPictureColour = RGB(0, 160, 80);

constexpr int kPixelMapVersion = 1;
constexpr int kRgbBytes = 3;

constexpr int kPathCharacters = 260;
const char kSavedContent[] = "saved by the dialog probe\r\n";

// What the dialog saw while open; reset at every opening.
struct ProbeDialogState {
    FilterRecord* record = nullptr;
    HBITMAP picture = nullptr;
    std::vector<uint8_t> preview;
    int editChanges = 0;         // EN_CHANGE from the edit field
    int checkClicks = 0;         // BN_CLICKED from the check box
    int pictureClicks = 0;       // STN_CLICKED from the picture
    std::string scrollCodes[2];  // scroll codes from the horizontal and vertical trackbars
};

ProbeDialogState state;

std::string controlText(HWND dialog, int id) {
    char text[kPathCharacters] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

int sliderPosition(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

void reportDialog(HWND dialog, const char* result) {
    reportLine("result", result);
    reportLine("edit", controlText(dialog, IDC_PROBE_EDIT));
    reportLine("slider101", std::to_string(sliderPosition(dialog, IDC_PROBE_SLIDER)));
    reportLine("slider102", std::to_string(sliderPosition(dialog, IDC_PROBE_VSLIDER)));
    reportLine("check6", std::to_string(IsDlgButtonChecked(dialog, IDC_PROBE_CHECK)));
    reportLine("mirror", controlText(dialog, IDC_PROBE_MIRROR));
    reportLine("enchange201", std::to_string(state.editChanges));
    reportLine("scroll101", state.scrollCodes[0]);
    reportLine("scroll102", state.scrollCodes[1]);
    reportLine("clicked6", std::to_string(state.checkClicks));
    reportLine("stnclicked401", std::to_string(state.pictureClicks));
}

OPENFILENAMEA describeFileDialog(char* path, DWORD flags) {
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = "Parameters (*.prm)\0*.prm\0Any (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathCharacters;
    dialog.Flags = flags;
    dialog.lpstrDefExt = "prm";
    return dialog;
}

// As the module does: no owner window, so the dialog stays enabled behind it.
void onOpen(HWND dialog) {
    char path[kPathCharacters] = "";
    OPENFILENAMEA request = describeFileDialog(path, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    std::string chosen = GetOpenFileNameA(&request) ? path : "(cancelled)";
    SetDlgItemTextA(dialog, IDC_PROBE_OPENED, chosen.c_str());
    reportLine("open", chosen);
}

void onSave(HWND dialog) {
    char path[kPathCharacters] = "";
    OPENFILENAMEA request =
        describeFileDialog(path, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    std::string chosen = "(cancelled)";
    if (GetSaveFileNameA(&request)) {
        chosen = path;
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, kSavedContent, sizeof kSavedContent - 1, &written, nullptr);
            CloseHandle(file);
        }
    }
    SetDlgItemTextA(dialog, IDC_PROBE_SAVED, chosen.c_str());
    reportLine("save", chosen);
}

BOOL onInitDialog(HWND dialog, FilterRecord* record) {
    state = ProbeDialogState();
    state.record = record;
    state.preview = makePreviewPixels();
    for (int id : {IDC_PROBE_SLIDER, IDC_PROBE_VSLIDER}) {
        SendDlgItemMessageA(dialog, id, TBM_SETRANGE, TRUE,
                            MAKELPARAM(kSliderMinimum, kSliderMaximum));
        SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, kSliderStart);
    }
    state.picture = makeSolidBitmap(kPictureWidth, kPictureHeight, kPictureColour);
    SendDlgItemMessageA(dialog, IDC_PROBE_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(state.picture));
    SetDlgItemTextA(dialog, IDC_PROBE_EDIT, kEditStart);
    state.editChanges = 0;  // the text set above is not the user's
    HWND edit = GetDlgItem(dialog, IDC_PROBE_EDIT);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return FALSE;  // the focus is set
}

void onCommand(HWND dialog, int id, int code) {
    switch (id) {
        case IDOK:
            reportDialog(dialog, "ok");
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            reportDialog(dialog, "cancel");
            EndDialog(dialog, IDCANCEL);
            break;
        case IDC_PROBE_OPEN:
            if (code == BN_CLICKED) onOpen(dialog);
            break;
        case IDC_PROBE_SAVE:
            if (code == BN_CLICKED) onSave(dialog);
            break;
        case IDC_PROBE_CHECK:
            if (code == BN_CLICKED) ++state.checkClicks;
            break;
        case IDC_PROBE_EDIT:
            if (code == EN_CHANGE) ++state.editChanges;
            break;
        case IDC_PROBE_PICTURE:
            if (code == STN_CLICKED) ++state.pictureClicks;
            break;
        default:
            break;
    }
}

// Every scroll code is recorded; the mirror follows the horizontal trackbar only on
// thumb-track and thumb-position, with the position the notification carries.
void onScroll(HWND dialog, int code, int position, HWND trackbar) {
    int id = GetDlgCtrlID(trackbar);
    if (id != IDC_PROBE_SLIDER && id != IDC_PROBE_VSLIDER) return;
    std::string& codes = state.scrollCodes[id == IDC_PROBE_SLIDER ? 0 : 1];
    codes += (codes.empty() ? "" : ",") + std::to_string(code);
    if (id == IDC_PROBE_SLIDER && (code == TB_THUMBTRACK || code == TB_THUMBPOSITION))
        SetDlgItemTextA(dialog, IDC_PROBE_MIRROR, std::to_string(position).c_str());
}

void onPaint(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    RECT frame;
    GetWindowRect(GetDlgItem(dialog, IDC_PROBE_PREVIEW), &frame);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
    if (state.record && state.record->displayPixels) {
        PSPixelMap map = {};
        map.version = kPixelMapVersion;
        map.bounds = {0, 0, kPreviewHeight, kPreviewWidth};
        map.imageMode = plugInModeRGBColor;
        map.rowBytes = kPreviewWidth * kRgbBytes;
        map.colBytes = kRgbBytes;
        map.planeBytes = 1;
        map.baseAddr = state.preview.data();
        VRect source = {0, 0, kPreviewHeight, kPreviewWidth};
        state.record->displayPixels(&map, &source, frame.top, frame.left, dc);
    }
    EndPaint(dialog, &paint);
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInitDialog(dialog, reinterpret_cast<FilterRecord*>(lParam));
        case WM_COMMAND:
            onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_HSCROLL:
        case WM_VSCROLL:
            onScroll(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_PAINT:
            onPaint(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR runProbeDialog(HINSTANCE module, FilterRecord* record) {
    HWND owner = nullptr;
    if (record && record->platformData)
        owner = reinterpret_cast<HWND>(static_cast<PlatformData*>(record->platformData)->hwnd);
    INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_PROBE_DIALOG), owner,
                                     dialogProcedure, reinterpret_cast<LPARAM>(record));
    if (state.picture) DeleteObject(state.picture);
    state = ProbeDialogState();
    return result;
}
