// Catching what the module does wrong at run time: unhandled exceptions (an
// access violation...) are reported with the code, the faulting address and
// the module-relative offset; a selector that does not return in time (a
// dialog nobody closes) is ended by a watchdog.
#pragma once

#include <string>

// Installs the exception handlers; call once, early in main.
void installCrashHandlers();

// The module that faults inside it are blamed on (its base and size are taken
// from the loaded image).
void setCrashModule(void* moduleBase, const std::string& name);

// What the host is doing, for the messages: e.g. "selector start".
void setHostActivity(const std::string& activity);

// Starts the watchdog for one call: if disarmWatchdog is not called within
// `timeoutMs`, the process ends with a "timeout:" line and kExitTimeout.
void armWatchdog(int timeoutMs);
void disarmWatchdog();
