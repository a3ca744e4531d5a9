// Redirecting a module's calls to Windows functions through its import
// address table, so the host can answer them deterministically (the Alt key,
// the Windows folder) and record them.
#pragma once

#include <windows.h>

// Replaces the module's import of `functionName` (from any DLL) with
// `replacement`. Returns how many import slots were patched (0 when the module
// does not import the function).
int patchModuleImport(HMODULE module, const char* functionName, void* replacement);
