// Builds the folder and file path of the last-used settings file from the
// Windows directory. Windows-free, so the path rules are tested natively.
#pragma once

#include "sdk/host_types.h"

constexpr char kMakerFolder[] = "quietharborstudio";
constexpr char kFiltersFolder[] = "\\PS Filters";
constexpr int32 kWindowsDirectoryBufferSize = 260;
constexpr int32 kFilterNameBufferSize = 31;  // at most 30 characters of the name are used

// Appends to a length-prefixed path, cut at 255 characters, keeping a zero byte
// behind the last character (path must hold 257 bytes).
void appendToPath(uint8* path, const char* text);
// path = windowsDirectory, a backslash unless it already ends in one.
void startSettingsPath(uint8* path, const char* windowsDirectory);
