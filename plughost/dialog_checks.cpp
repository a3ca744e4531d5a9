// Reads the state of a dialog's controls for expectations and prints.
#include "plughost/dialog_checks.h"

#include <commctrl.h>

#include <cstdio>

#include "plughost/dialog_windows.h"
#include "plughost/host_paths.h"

namespace {

constexpr LONG kButtonTypeMask = 0x0F;  // BS_PUSHBUTTON, BS_DEFPUSHBUTTON, ... in the style

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

bool expectEqual(const std::string& expected, const std::string& found, std::string& problem) {
    if (expected == found) return true;
    problem = "expected " + expected + ", found " + found;
    return false;
}

bool readTrackbar(HWND dialog, int id, int& position, std::string& problem) {
    HWND trackbar = findControl(dialog, id, problem);
    if (!trackbar) return false;
    if (windowClass(trackbar) != TRACKBAR_CLASSA) {
        problem = describeWindow(dialog, trackbar) + " is not a trackbar";
        return false;
    }
    position = static_cast<int>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    return true;
}

std::string describeFocus(HWND dialog) {
    HWND focus = GetFocus();
    if (!focus) return "no focus";
    return "the focus on " + describeWindow(dialog, focus);
}

bool expectFocus(HWND dialog, int id, std::string& problem) {
    HWND control = findControl(dialog, id, problem);
    if (!control) return false;
    HWND focus = GetFocus();
    // A combo box takes the focus in its edit child.
    if (focus && (focus == control || IsChild(control, focus))) return true;
    problem = "expected the focus on " + describeWindow(dialog, control) + ", found " +
              describeFocus(dialog);
    return false;
}

bool expectSelected(HWND dialog, int id, std::string& problem) {
    HWND field = findControl(dialog, id, problem);
    if (!field) return false;
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    std::string text = windowText(field);
    if (start == 0 && end == text.size()) return true;
    std::string found =
        (start == end)
            ? "nothing selected (the caret at " + std::to_string(end) + ")"
            : "characters " + std::to_string(start) + " to " + std::to_string(end) + " selected";
    problem = "expected the whole text " + quoted(text) + " of " + describeWindow(dialog, field) +
              " selected, found " + found;
    return false;
}

// The push button the user sees as the default, which Enter presses: the one drawn with
// BS_DEFPUSHBUTTON, else the dialog's default id.
int defaultButtonId(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (windowClass(child) == "Button" &&
            (GetWindowLongA(child, GWL_STYLE) & kButtonTypeMask) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(child);
    }
    LRESULT defaultId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : kNoControl;
}

bool expectDefault(HWND dialog, int id, std::string& problem) {
    HWND control = findControl(dialog, id, problem);
    if (!control) return false;
    int found = defaultButtonId(dialog);
    if (found == id) return true;
    problem = "expected " + describeWindow(dialog, control) + " to be the default button, found " +
              (found == kNoControl ? std::string("no default button")
                                   : describeWindow(dialog, GetDlgItem(dialog, found)));
    return false;
}

bool showsText(HWND dialog, const std::string& text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && windowText(child) == text) return true;
    }
    return false;
}

// The visible children's texts, for the message of a failed expect-text.
std::string childTexts(HWND dialog) {
    std::string texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        texts += (texts.empty() ? "" : ", ") + quoted(windowText(child));
    }
    return texts.empty() ? "no visible control" : texts;
}

// A static control that shows text rather than a picture.
bool isTextLabel(HWND control) {
    if (windowClass(control) != "Static" || !IsWindowVisible(control)) return false;
    const LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
           type == SS_LEFTNOWORDWRAP;
}

// The room the label's text takes on one line, drawn as the static draws it: in its
// own font, '&' marking a mnemonic unless SS_NOPREFIX.
SIZE oneLineExtent(HWND label, const std::wstring& text) {
    HDC dc = GetDC(label);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    UINT format = DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS;
    if (GetWindowLongA(label, GWL_STYLE) & SS_NOPREFIX) format |= DT_NOPREFIX;
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &box, format);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return {box.right - box.left, box.bottom - box.top};
}

std::string sizeText(LONG width, LONG height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// A label whose text is wider (or taller) than the label wraps or is cut: "% ( 0 -".
bool expectLabelsFit(HWND dialog, std::string& problem) {
    std::string cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!isTextLabel(child)) continue;
        const std::string text = windowText(child);
        if (text.empty()) continue;
        RECT client;
        GetClientRect(child, &client);
        const SIZE needed = oneLineExtent(child, wideText(text));
        if (needed.cx <= client.right && needed.cy <= client.bottom) continue;
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        cut += (cut.empty() ? "" : "; ") + quoted(text) + " needs " +
               sizeText(needed.cx, needed.cy) + " pixels, its label at " +
               std::to_string(place.left) + "," + std::to_string(place.top) + " has " +
               sizeText(client.right, client.bottom);
    }
    if (cut.empty()) return true;
    problem = "labels too small for their text: " + cut;
    return false;
}

}  // namespace

bool checkExpectation(HWND dialog, const ScriptStep& step, std::string& problem) {
    int id = step.controlId;
    switch (step.kind) {
        case StepKind::ExpectField: {
            HWND field = findControl(dialog, id, problem);
            return field && expectEqual(quoted(step.text), quoted(windowText(field)), problem);
        }
        case StepKind::ExpectSlider: {
            int position = 0;
            return readTrackbar(dialog, id, position, problem) &&
                   expectEqual(std::to_string(step.value), std::to_string(position), problem);
        }
        case StepKind::ExpectCheck: {
            HWND box = findControl(dialog, id, problem);
            if (!box) return false;
            LRESULT state = SendMessageA(box, BM_GETCHECK, 0, 0);
            return expectEqual(std::to_string(step.value), std::to_string(state), problem);
        }
        case StepKind::ExpectVisible: {
            HWND control = findControl(dialog, id, problem);
            if (!control) return false;
            int visible = IsWindowVisible(control) ? 1 : 0;
            return expectEqual(std::to_string(step.value), std::to_string(visible), problem);
        }
        case StepKind::ExpectFocus:
            return expectFocus(dialog, id, problem);
        case StepKind::ExpectSelected:
            return expectSelected(dialog, id, problem);
        case StepKind::ExpectDefault:
            return expectDefault(dialog, id, problem);
        case StepKind::ExpectCaption:
            return expectEqual(quoted(step.text), quoted(windowText(dialog)), problem);
        case StepKind::ExpectText:
            if (showsText(dialog, step.text)) return true;
            problem = "expected a control showing " + quoted(step.text) + ", found " +
                      childTexts(dialog);
            return false;
        case StepKind::ExpectLabelsFit:
            return expectLabelsFit(dialog, problem);
        default:
            problem = "not an expectation";
            return false;
    }
}

bool printDialogState(HWND dialog, const ScriptStep& step, std::string& problem) {
    switch (step.kind) {
        case StepKind::PrintWindow: {
            RECT window;
            RECT client;
            GetWindowRect(dialog, &window);
            GetClientRect(dialog, &client);
            POINT origin{0, 0};
            ClientToScreen(dialog, &origin);
            std::printf("window: x=%ld y=%ld w=%ld h=%ld client: x=%ld y=%ld w=%ld h=%ld\n",
                        window.left, window.top, window.right - window.left,
                        window.bottom - window.top, origin.x, origin.y, client.right,
                        client.bottom);
            break;
        }
        case StepKind::PrintField: {
            HWND field = findControl(dialog, step.controlId, problem);
            if (!field) return false;
            std::printf("field %d: %s\n", step.controlId, windowText(field).c_str());
            break;
        }
        case StepKind::PrintSlider: {
            int position = 0;
            if (!readTrackbar(dialog, step.controlId, position, problem)) return false;
            std::printf("slider %d: %d\n", step.controlId, position);
            break;
        }
        default:
            problem = "not a print step";
            return false;
    }
    std::fflush(stdout);
    return true;
}

void printGdiCount() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::printf("gdi objects: %lu\n", static_cast<unsigned long>(count));
    std::fflush(stdout);
}
