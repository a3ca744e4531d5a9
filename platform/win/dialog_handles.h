// A dialog of the platform interface is its window handle on Windows.
#pragma once

#include <windows.h>

#include "platform/dialog_window.h"

inline HWND windowOf(DialogWindow dialog) { return reinterpret_cast<HWND>(dialog); }
inline DialogWindow dialogOf(HWND window) { return reinterpret_cast<DialogWindow>(window); }
