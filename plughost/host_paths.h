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

// Text that may hold any character Windows allows (the module's application-data
// folder, a name typed into a file dialog) is UTF-8 on plughost's side and goes
// to Windows through the wide calls. An invalid sequence gives an empty text.
std::wstring wideText(const std::string& utf8);
std::string utf8Text(const std::wstring& wide);

// The word after `option` on the command line, as UTF-8 from the wide command
// line: the ANSI argv has already spelt every character that the code page lacks
// as '?'. The last one counts; false when the option is not on the line.
bool utf8OptionValue(const char* option, std::string* value);
