// Walks the calling thread's top-level windows, topmost first.
#include "plughost/dialog_windows.h"

#include <algorithm>
#include <vector>

#include "plughost/host_paths.h"

namespace {

const char kDialogClass[] = "#32770";

// The common file dialogs' file-name box: the explorer-style combo box (cmb13) or the
// old-style edit (edt1).
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

constexpr int kLongestText = 4096;

BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// Top-level windows of the calling thread, in z-order, topmost first.
std::vector<HWND> threadWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool isVisibleDialog(HWND window) {
    return windowClass(window) == kDialogClass && IsWindowVisible(window);
}

bool belongsToFileDialog(HWND window) {
    if (isFileDialog(window)) return true;
    HWND owner = GetWindow(window, GW_OWNER);
    return owner && isFileDialog(owner);
}

}  // namespace

bool isFileDialog(HWND window) {
    return windowClass(window) == kDialogClass && findFileNameBox(window);
}

HWND findFileNameBox(HWND fileDialog) {
    HWND box = GetDlgItem(fileDialog, kFileNameCombo);
    return box ? box : GetDlgItem(fileDialog, kFileNameEdit);
}

HWND findScriptDialog() {
    for (HWND window : threadWindows()) {
        if (isVisibleDialog(window) && IsWindowEnabled(window) && !belongsToFileDialog(window))
            return window;
    }
    return nullptr;
}

HWND findFileDialog() {
    for (HWND window : threadWindows())
        if (isVisibleDialog(window) && isFileDialog(window)) return window;
    return nullptr;
}

HWND findOwnedDialog(HWND owner) {
    for (HWND window : threadWindows())
        if (isVisibleDialog(window) && GetWindow(window, GW_OWNER) == owner) return window;
    return nullptr;
}

HWND findOpenDialogExcept(const std::vector<HWND>& skip) {
    for (HWND window : threadWindows()) {
        if (!isVisibleDialog(window) || !IsWindowEnabled(window)) continue;
        if (std::find(skip.begin(), skip.end(), window) == skip.end()) return window;
    }
    return nullptr;
}

std::string windowText(HWND window) {
    wchar_t text[kLongestText] = L"";
    GetWindowTextW(window, text, kLongestText);
    return utf8Text(text);
}

std::string windowClass(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string describeWindow(HWND dialog, HWND window) {
    if (window == dialog) return "the dialog \"" + windowText(window) + "\"";
    std::string what = windowClass(window) + " \"" + windowText(window) + "\"";
    if (IsChild(dialog, window))
        return "control " + std::to_string(GetDlgCtrlID(window)) + " (" + what + ")";
    return "a window outside the dialog (" + what + ")";
}

HWND findControl(HWND dialog, int id, std::string& problem) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        problem =
            "there is no control " + std::to_string(id) + " in " + describeWindow(dialog, dialog);
    return control;
}

HWND findUsableControl(HWND dialog, int id, std::string& problem) {
    HWND control = findControl(dialog, id, problem);
    if (!control) return nullptr;
    if (!IsWindowVisible(control)) {
        problem = describeWindow(dialog, control) + " is hidden";
        return nullptr;
    }
    if (!IsWindowEnabled(control)) {
        problem = describeWindow(dialog, control) + " is disabled";
        return nullptr;
    }
    return control;
}
