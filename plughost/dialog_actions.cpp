// User actions on a dialog. Input that the dialog manager routes (keys, clicks) is
// posted to the queue; typing and dragging are sent, as the control itself would send
// its notifications while the user types or drags.
#include "plughost/dialog_actions.h"

#include <commctrl.h>

#include "plughost/dialog_windows.h"
#include "plughost/host_paths.h"

namespace {

// Thumb-track notifications of one drag; the last one is at the target.
constexpr int kDragNotifications = 4;

// WM_KEYDOWN / WM_KEYUP lParam bits.
constexpr LPARAM kRepeatOnce = 1;
constexpr int kScanCodeShift = 16;
constexpr LPARAM kExtendedKey = LPARAM(1) << 24;
constexpr LPARAM kWasDown = LPARAM(1) << 30;
constexpr LPARAM kReleasing = LPARAM(1) << 31;

const char kButtonClass[] = "Button";

struct KeyCode {
    UINT virtualKey;
    bool extended;  // a key of the separate cursor block, not of the number pad
};

KeyCode keyCodeOf(NamedKey key) {
    switch (key) {
        case NamedKey::Right:
            return {VK_RIGHT, true};
        case NamedKey::Left:
            return {VK_LEFT, true};
        case NamedKey::Up:
            return {VK_UP, true};
        case NamedKey::Down:
            return {VK_DOWN, true};
        case NamedKey::PageUp:
            return {VK_PRIOR, true};
        case NamedKey::PageDown:
            return {VK_NEXT, true};
        case NamedKey::Home:
            return {VK_HOME, true};
        case NamedKey::End:
            return {VK_END, true};
        case NamedKey::Enter:
            return {VK_RETURN, false};
        case NamedKey::Escape:
            return {VK_ESCAPE, false};
    }
    return {VK_RETURN, false};
}

LPARAM keyData(KeyCode key, bool release) {
    LPARAM data =
        kRepeatOnce | (LPARAM(MapVirtualKeyA(key.virtualKey, MAPVK_VK_TO_VSC)) << kScanCodeShift);
    if (key.extended) data |= kExtendedKey;
    if (release) data |= kWasDown | kReleasing;
    return data;
}

void postKey(HWND target, KeyCode key) {
    PostMessageA(target, WM_KEYDOWN, key.virtualKey, keyData(key, false));
    PostMessageA(target, WM_KEYUP, key.virtualKey, keyData(key, true));
}

// As the dialog manager moves the focus (Tab, a mnemonic): the default button follows.
void focusControl(HWND dialog, HWND control) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

bool isTrackbar(HWND window) { return windowClass(window) == TRACKBAR_CLASSA; }

bool isButton(HWND window) { return windowClass(window) == kButtonClass; }

// A mouse click at a point of the dialog's client area goes to the child under it,
// unless that child lets clicks through to the dialog (a static without SS_NOTIFY
// answers HTTRANSPARENT), as the system's hit testing does.
void clickAt(HWND dialog, POINT clientPoint) {
    HWND target = dialog;
    POINT point = clientPoint;
    HWND child = ChildWindowFromPointEx(dialog, clientPoint, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (child && child != dialog) {
        POINT screen = clientPoint;
        ClientToScreen(dialog, &screen);
        LRESULT hit = SendMessageA(child, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        if (hit != HTTRANSPARENT) {
            target = child;
            point = screen;
            ScreenToClient(child, &point);
        }
    }
    PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageA(target, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

POINT clientCentre(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {(client.right - client.left) / 2, (client.bottom - client.top) / 2};
}

}  // namespace

bool typeIntoControl(HWND dialog, int id, const std::string& text, std::string& problem) {
    HWND field = findUsableControl(dialog, id, problem);
    if (!field) return false;
    focusControl(dialog, field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    if (text.empty()) {
        SendMessageA(field, WM_CHAR, VK_BACK, keyData({VK_BACK, false}, false));
        return true;
    }
    for (wchar_t c : wideText(text)) SendMessageW(field, WM_CHAR, c, kRepeatOnce);
    return true;
}

bool dragThumb(HWND dialog, int id, int position, std::string& problem) {
    HWND trackbar = findUsableControl(dialog, id, problem);
    if (!trackbar) return false;
    if (!isTrackbar(trackbar)) {
        problem = describeWindow(dialog, trackbar) + " is not a trackbar";
        return false;
    }
    int low = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMIN, 0, 0));
    int high = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0));
    if (position < low || position > high) {
        problem = "the thumb cannot reach " + std::to_string(position) + ": the range of " +
                  describeWindow(dialog, trackbar) + " is " + std::to_string(low) + " to " +
                  std::to_string(high);
        return false;
    }
    focusControl(dialog, trackbar);
    bool vertical = (GetWindowLongA(trackbar, GWL_STYLE) & TBS_VERT) != 0;
    UINT scroll = vertical ? WM_VSCROLL : WM_HSCROLL;
    HWND parent = GetParent(trackbar);
    LPARAM from = reinterpret_cast<LPARAM>(trackbar);
    int start = static_cast<int>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    int last = start;
    for (int step = 1; step <= kDragNotifications; ++step) {
        int at = start + (position - start) * step / kDragNotifications;
        if (at == last && step < kDragNotifications) continue;
        SendMessageA(trackbar, TBM_SETPOS, TRUE, at);
        SendMessageA(parent, scroll, MAKEWPARAM(TB_THUMBTRACK, at), from);
        last = at;
    }
    SendMessageA(parent, scroll, MAKEWPARAM(TB_THUMBPOSITION, position), from);
    SendMessageA(parent, scroll, MAKEWPARAM(TB_ENDTRACK, 0), from);
    return true;
}

bool pressKeyOnControl(HWND dialog, int id, NamedKey key, std::string& problem) {
    HWND control = findUsableControl(dialog, id, problem);
    if (!control) return false;
    focusControl(dialog, control);
    postKey(control, keyCodeOf(key));
    return true;
}

bool pressDialogKey(HWND dialog, NamedKey key, std::string& /*problem*/) {
    HWND focus = GetFocus();
    HWND target = (focus && IsChild(dialog, focus)) ? focus : dialog;
    postKey(target, keyCodeOf(key));
    return true;
}

bool clickControl(HWND dialog, int id, std::string& problem) {
    HWND control = findUsableControl(dialog, id, problem);
    if (!control) return false;
    if (isButton(control)) {
        PostMessageA(control, BM_CLICK, 0, 0);
        return true;
    }
    POINT centre = clientCentre(control);
    MapWindowPoints(control, dialog, &centre, 1);
    clickAt(dialog, centre);
    return true;
}

bool clickDialog(HWND dialog, std::string& /*problem*/) {
    clickAt(dialog, clientCentre(dialog));
    return true;
}

bool setCheckBox(HWND dialog, int id, int wanted, std::string& problem) {
    HWND box = findUsableControl(dialog, id, problem);
    if (!box) return false;
    if (!isButton(box)) {
        problem = describeWindow(dialog, box) + " is not a check box";
        return false;
    }
    LRESULT state = SendMessageA(box, BM_GETCHECK, 0, 0);
    if ((state == BST_CHECKED) != (wanted == 1)) PostMessageA(box, BM_CLICK, 0, 0);
    return true;
}

bool notifyDialog(HWND dialog, int id, int code, std::string& problem) {
    HWND control = findControl(dialog, id, problem);
    if (!control) return false;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    return true;
}
