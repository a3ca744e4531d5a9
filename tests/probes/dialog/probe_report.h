// What the dialog probe saw, for the tests to assert: "key=value" lines appended to the
// file named by the environment variable PROBE_DIALOG_REPORT, or sent to the debugger
// output when it is not set.
#pragma once

#include <string>

void reportLine(const std::string& key, const std::string& value);
