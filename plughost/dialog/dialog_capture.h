// Screenshots of a dialog as it is drawn on screen, written as PNG files.
#pragma once

#include <windows.h>

#include <string>

// Finishes pending paints of the window and its children, then copies the window,
// frame included, from its device context into a PNG file. False with a message when
// the capture or the file fails.
bool captureWindowToPng(HWND window, const std::string& path, std::string& problem);
