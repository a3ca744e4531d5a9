// Finding the windows a dialog script acts on: the thread's top-level dialogs, the
// common file dialogs and their prompts, and the controls inside a dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The dialog the steps act on: the topmost visible, enabled dialog window (class
// #32770) of the calling thread that is neither a common file dialog nor a prompt owned
// by one (file dialogs are answered by their own steps). Null when there is none.
HWND findScriptDialog();

// The topmost visible common file dialog of the calling thread, or null.
HWND findFileDialog();

// A visible dialog owned by the given window, such as the overwrite prompt of a save
// dialog or the error box of an open dialog. Null when there is none.
HWND findOwnedDialog(HWND owner);

// The topmost visible, enabled dialog of the calling thread that is not in the list,
// whatever its kind; used to close what is left open after a failed step.
HWND findOpenDialogExcept(const std::vector<HWND>& skip);

bool isFileDialog(HWND window);

// The file-name box of a common file dialog (the explorer-style combo box or the
// old-style edit), or null.
HWND findFileNameBox(HWND fileDialog);

std::string windowText(HWND window);
std::string windowClass(HWND window);

// For messages: 'control 201 (Edit "150")', or 'the dialog "Probe"'.
std::string describeWindow(HWND dialog, HWND window);

// The control with this id in the dialog, or null with a message.
HWND findControl(HWND dialog, int id, std::string& problem);

// As findControl, but a user must also be able to reach it: visible and enabled.
HWND findUsableControl(HWND dialog, int id, std::string& problem);
