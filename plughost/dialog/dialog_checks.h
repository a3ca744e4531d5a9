// What a script can look at: the expect-* steps, which fail with a message naming the
// expected and the found value, and the print-* steps, which write to standard output.
#pragma once

#include <windows.h>

#include <string>

#include "plughost/dialog/dialog_steps.h"

// An expect-* step; false with "expected ..., found ..." when the dialog differs.
bool checkExpectation(HWND dialog, const ScriptStep& step, std::string& problem);

// print-window, print-field, print-slider; a line on standard output each:
//   window: x=302 y=214 w=427 h=252 client: x=303 y=215 w=425 h=250
//   field 201: 150
//   slider 101: 50
bool printDialogState(HWND dialog, const ScriptStep& step, std::string& problem);

// gdi-count: "gdi objects: N", the process's GDI object count as the system reports it.
void printGdiCount();
