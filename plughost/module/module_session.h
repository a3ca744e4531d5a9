// A filter module loaded to be run: its entry point found through its PiPL,
// its imports patched, the crash handler told where it lives, and the host
// window and common controls in place. Also the one way to call a selector.
#pragma once

#include <windows.h>

#include <string>

#include "plughost/cli/host_options.h"
#include "plughost/module/pipl_reader.h"
#include "sdk/filter_record.h"

struct LoadedFilter {
    HMODULE module = nullptr;
    PluginEntryProc entry = nullptr;
    PiplRecord pipl;
    std::string fileName;
    HWND window = nullptr;
};

// Loads and prepares everything; false with a message for the user.
bool loadFilterForRun(const HostOptions& options, LoadedFilter* filter, std::string* error);

// The selector's name in results and the trace: about, parameters, prepare,
// start, continue, finish; any other selector by its number ("6", "-1").
std::string selectorName(int16 selector);
// "selector start returned -108 (out of memory)": why a run failed, for the user.
std::string selectorFailure(int16 selector, int16 result);

// Calls the entry point under the watchdog, traces it and prints
// "result: NAME CODE". Returns the module's result.
int16 callSelector(const LoadedFilter& filter, const HostOptions& options, int16 selector,
                   void* record, intptr_t* data);
