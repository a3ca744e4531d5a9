// File names given on the command line, as the host's Windows side needs them.
#pragma once

#include <string>

// Under Wine, an absolute Linux path ("/tmp/a.png") names the same file as
// "Z:\tmp\a.png"; the module, which may append "\..." to it, gets the Windows
// form. Anything else is returned unchanged.
std::string toWindowsPath(const std::string& path, bool underWine);

// True when the host runs under Wine.
bool runningUnderWine();
