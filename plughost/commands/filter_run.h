// The run command: load the module, set up the host's window and record, call
// the selectors in the order the interface prescribes, and report every
// result. Returns the process exit status (cli/host_exit.h).
#pragma once

#include <string>

#include "plughost/cli/host_options.h"
#include "plughost/pictures/host_image.h"

int runFilterCommand(const HostOptions& options);

// The document of `input` (a file or pattern:WxH) with --planes planes.
bool loadSourceImage(const HostOptions& options, const std::string& input, HostImage* image,
                     std::string* error);

// filterRect from --rect (the whole image without one). It may be empty, but
// must lie inside the image; false with a message otherwise.
bool chooseFilterRect(const HostOptions& options, const HostImage& image, Rect* filterRect,
                      std::string* error);
