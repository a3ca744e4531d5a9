// The pictures of a run command: every --in in order, a folder standing for the
// pictures in it (sorted by name), and the file each result goes to.
#pragma once

#include <string>
#include <vector>

#include "plughost/cli/host_options.h"

struct Picture {
    std::string input;      // a file, as the Windows side names it, or pattern:WxH
    std::string shownName;  // the input as the user typed it, for messages
    std::string output;     // where the result goes; empty: nowhere
};

// False with a message when a folder holds no picture, when several pictures are
// to go to one --out file, or when a result would overwrite a picture or another
// result. Makes the --out-dir folder when it is missing.
bool listPictures(const HostOptions& options, std::vector<Picture>* pictures, std::string* error);
