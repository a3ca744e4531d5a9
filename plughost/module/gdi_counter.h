// --count-gdi: the module's imports of the GDI and USER functions that make and
// destroy GDI objects are patched with counting wrappers, so a test can show
// that a dialog or About box leaks nothing (Wine's GetGuiResources answers 0).
// Every call is traced:
//   gdi create NAME -> 0xHANDLE
//   gdi delete 0xHANDLE -> RESULT     (DeleteObject, DeleteDC)
#pragma once

#include <windows.h>

// Patches the module's imports; functions it does not import stay as they are.
void installGdiCounting(HMODULE module);

// "gdi: created N deleted M alive K": objects the counted makers returned,
// successful deletions, and objects made and not deleted.
void printGdiCounts();
