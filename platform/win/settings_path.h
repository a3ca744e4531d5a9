// Builds the folder and file path of the last-used settings file from a base
// folder: the Windows directory, or the user's application-data folder where
// the Windows directory is closed to the user. Windows-free, so the path rules
// are tested natively.
//
// The Windows directory's path is plain ASCII on every installation and goes
// through the ANSI calls. The application-data folder is named after the user
// and may hold any character Windows allows, so its path is built in UTF-16
// units (char16_t, Windows' wchar_t) for the wide calls, by the same rules.
//
// A path is a length-prefixed string of at most 255 characters with a zero byte
// kept behind the last character, so pathText() can go straight to the system.
// platform/win/settings_file.cpp builds it step by step around its folder calls:
//
//   startSettingsPath(path, baseFolder);
//   appendToPath(path, kMakerFolder);    CreateDirectoryA(pathText(path), nullptr);
//   appendToPath(path, kFiltersFolder);  CreateDirectoryA(pathText(path), nullptr);
//   appendToPath(path, kPathSeparator);  // the folder, ending in a backslash
//   appendFilterName(path, filterName);  // the file
#pragma once

#include "sdk/host_types.h"

constexpr char kMakerFolder[] = "quietharborstudio";
constexpr char kFiltersFolder[] = "\\PS Filters";
constexpr char kPathSeparator[] = "\\";
constexpr int32 kWindowsDirectoryBufferSize = 260;
constexpr int32 kFilterNameBufferSize = 31;  // at most 30 characters of the name are used
constexpr int32 kMaxFilterNameLength = kFilterNameBufferSize - 1;
constexpr int32 kMaxPathLength = 255;
constexpr int32 kPathBufferSize = kMaxPathLength + 2;  // length byte, characters, zero byte

// Appends to a length-prefixed path, cut at 255 characters, keeping a zero byte
// behind the last character (path must hold 257 bytes). A null text appends
// nothing. False when the text was cut: the path then names something else than
// intended, and the caller should not open or create a file by it.
bool appendToPath(uint8* path, const char* text);
// path = baseFolder, then a backslash unless it already ends in one (or is
// empty). False when the folder or the backslash did not fit.
bool startSettingsPath(uint8* path, const char* baseFolder);
// Appends at most the first 30 characters of the filter's name, as the 31-byte
// string buffer gives them. False when the path had no room for them all.
bool appendFilterName(uint8* path, const char* filterName);
// The zero-terminated text of a path built by the functions above.
const char* pathText(const uint8* path);

// The same for a path of UTF-16 units: path[0] holds the length (0..255 units),
// the units follow, then a zero unit. ASCII text (the folder names) is widened.
bool appendToPath(char16_t* path, const char* asciiText);
bool appendToPath(char16_t* path, const char16_t* text);
bool startSettingsPath(char16_t* path, const char16_t* baseFolder);
bool appendFilterName(char16_t* path, const char16_t* filterName);
const char16_t* pathText(const char16_t* path);

// Every path the last-used settings file needs, from the Windows directory and
// the filter's name.
struct SettingsFilePaths {
    uint8 makerFolder[kPathBufferSize];    // ...\quietharborstudio, created first
    uint8 filtersFolder[kPathBufferSize];  // ...\quietharborstudio\PS Filters, created second
    uint8 folder[kPathBufferSize];         // the filters folder with a trailing backslash
    uint8 file[kPathBufferSize];           // the folder and the filter's name
    bool complete;                         // false when any part was cut at 255 characters
};
SettingsFilePaths buildSettingsFilePath(const char* windowsDirectory, const char* filterName);
