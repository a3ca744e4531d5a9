// The host's answers to two Windows calls of the module, patched into its
// import table: GetAsyncKeyState (the Alt key, down only during Start with
// --alt, otherwise every key reads as up) and GetWindowsDirectoryA (--windows-dir
// PATH answers PATH, "none" answers 0, otherwise the real folder). Every call
// is traced.
#pragma once

#include <windows.h>

#include <string>

struct ModuleHookSettings {
    bool altDuringStart = false;
    bool overrideWindowsDir = false;
    bool windowsDirFails = false;  // --windows-dir none
    std::string windowsDir;        // Windows form
};

// Patches the module's imports; safe when it imports neither function.
void installModuleHooks(HMODULE module, const ModuleHookSettings& settings);

// The host is inside Start (the Alt key may read as down).
void setStartInProgress(bool inStart);
