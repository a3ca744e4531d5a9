// The module's instance handle, for loading its templates, bitmaps and strings.
// Set once when Windows loads the module, before any selector runs; read only by
// the Windows side of the platform interface.
#pragma once

#include <windows.h>

HINSTANCE moduleInstance();
