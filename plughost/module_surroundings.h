// What the module finds on the machine besides the host's calls, set up before
// the first selector: the user's application-data folder in the process
// environment (--app-data PATH|none) and a file that another program holds open
// with no sharing (--hold-file PATH). Each is traced.
#pragma once

#include <string>

struct ModuleSurroundings {
    bool setAppData = false;
    bool appDataMissing = false;  // --app-data none: APPDATA is removed
    std::string appData;          // Windows form, UTF-8
    std::string heldFile;         // Windows form; empty: no file is held
};

// False with a message when the held file cannot be opened. The file stays
// open until the host ends, as if another host process had it.
bool prepareModuleSurroundings(const ModuleSurroundings& surroundings, std::string* error);
