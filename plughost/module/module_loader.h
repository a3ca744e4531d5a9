// Finding and loading a filter module: its PiPL bytes, its entry point for
// this architecture, its string table.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sdk/host_types.h"

// The PiPL code property this build of the host looks for.
#if defined(__aarch64__) || defined(_M_ARM64)
constexpr char kEntryPropertyName[] = "wa64";
constexpr char kHostArchName[] = "win-arm64";
#elif defined(_WIN64)
constexpr char kEntryPropertyName[] = "8664";
constexpr char kHostArchName[] = "win64";
#else
constexpr char kEntryPropertyName[] = "wx86";
constexpr char kHostArchName[] = "win32";
#endif

// Opens the module as data only: resources can be read, no code runs. Works
// for modules of either architecture.
bool openModuleAsData(const std::string& path, HMODULE* module, std::string* error);

// Loads the module to run it (its DllMain runs).
bool loadModuleForRun(const std::string& path, HMODULE* module, std::string* error);

// The bytes of the module's first PiPL resource (lowest id); `count` is how many it has.
bool readPiplBytes(HMODULE module, std::vector<uint8>* bytes, int* count, std::string* error);

// String `id` of the module's string table; false when it has none.
bool loadModuleString(HMODULE module, int id, std::string* text);

// The file name part of a path ("ProbeFilter.8bf").
std::string fileNameOf(const std::string& path);
