// The host's main window: a real top-level window that owns the module's
// dialogs, and the common controls (the trackbar class) that a host registers
// before it calls any module.
#pragma once

#include <windows.h>

struct HostWindowSettings {
    int x;
    int y;
    int clientWidth;
    int clientHeight;
    bool visible;
};

// Registers the trackbar class (InitCommonControlsEx with ICC_BAR_CLASSES).
bool registerCommonControls();

// Creates the window with a client area of the given size; null on failure.
HWND createHostWindow(const HostWindowSettings& settings);

// Handles the window's pending messages (painting), without blocking.
void pumpHostMessages();
