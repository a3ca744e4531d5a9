// File names given on the command line, as the host's Windows side needs them.
#pragma once

#include <string>

// Under Wine, an absolute Linux path ("/tmp/a.png") names the same file as
// "Z:\tmp\a.png"; the module, which may append "\..." to it, gets the Windows
// form. Anything else is returned unchanged.
std::string toWindowsPath(const std::string& path, bool underWine);

// The path as the user typed it: a Z:\... path made by toWindowsPath turned back
// into its Linux form under Wine; anything else unchanged. For messages.
std::string userPath(const std::string& path);

// True when the host runs under Wine.
bool runningUnderWine();
