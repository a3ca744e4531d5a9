// The module's instance handle, for loading its templates, bitmaps and strings.
// Set once by the module's entry when Windows loads it, before any selector runs;
// read by every room that loads a resource.
#pragma once

#include <windows.h>

void setModuleInstance(HINSTANCE instance);
HINSTANCE moduleInstance();
