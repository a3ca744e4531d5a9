// --params FILE: the bytes of the parameters handle, kept in a file between
// host processes as a host keeps them between runs.
#pragma once

#include <string>
#include <vector>

#include "sdk/host_types.h"

// Reads the file; `exists` is false (and the result true) when there is none.
bool readParamsFile(const std::string& path, std::vector<uint8>* bytes, bool* exists);

// Writes the handle's bytes (either form of handle). A null handle removes
// the file, as the host then keeps nothing.
bool saveParamsFile(const std::string& path, Handle parameters, std::string* error);
