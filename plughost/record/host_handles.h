// The host's memory handles: its own relocatable handles behind the eight
// HandleProcs procedures, offered in the variants of --handle-procs, and the
// Windows global memory form that modules build for themselves when the
// host's procedures are not usable (a moveable "master block" holding the
// address of a fixed data block). The host reads and disposes both forms.
#pragma once

#include <string>
#include <vector>

#include "plughost/cli/host_options.h"
#include "sdk/filter_record.h"

// Sets up the procedures for `mode`; call before the first selector.
void configureHandleProcs(HandleProcsMode mode);

// As a host that fails on handles of size zero: newProc(0) answers null.
void setRefuseEmptyHandles(bool refuse);

// The record's handleProcs: null in mode None.
HandleProcs* hostHandleProcs();

// True when a module following the interface would use the host's procedures
// in this mode (version 1, at least 6 procedures, all six present).
bool moduleWouldUseHostHandles(HandleProcsMode mode);

// A handle holding `bytes`: the host's own when the module would use the
// host's procedures, otherwise the global memory form.
Handle makeHandleWithBytes(HandleProcsMode mode, const std::vector<uint8>& bytes);

// The bytes of a handle of either form. `form` becomes "hN" or "global".
// False when the handle is neither form.
bool readAnyHandle(Handle handle, std::vector<uint8>* bytes, std::string* form);

// Disposes a handle of either form.
void disposeAnyHandle(Handle handle);

// "hN" for the host's handles, "global" for one that is not the host's, "null".
std::string handleName(Handle handle);

// Checks the fences of every live host handle; false with a message.
bool checkHandleFences(std::string* fault);

// The host's handles still alive, except `keep`, as "hN (SIZE bytes)".
std::vector<std::string> liveHandlesExcept(Handle keep);
