#include "plughost/dialog/script_arming.h"

#include <cstdio>

#if defined(PLUGHOST_HAS_DIALOG_SCRIPT) && __has_include("plughost/dialog/dialog_script.h")
#include "plughost/dialog/dialog_script.h"
#define PLUGHOST_DIALOG_SCRIPTING 1
#endif

namespace {

#ifdef PLUGHOST_DIALOG_SCRIPTING
constexpr int kErrorSize = 1024;
DialogScript* armedScript = nullptr;

bool readTextFile(const std::string& path, std::string* text) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, got);
    std::fclose(file);
    return true;
}
#endif

}  // namespace

bool loadDialogSteps(const HostOptions& options, std::string* steps, std::string* error) {
    steps->clear();
    if (options.dialogSteps.empty() && options.dialogScriptPath.empty()) return true;
#ifndef PLUGHOST_DIALOG_SCRIPTING
    *error = "this plughost was built without dialog scripting (--do, --script)";
    return false;
#else
    if (!options.dialogSteps.empty()) {
        *steps = options.dialogSteps;
    } else if (!readTextFile(options.dialogScriptPath, steps)) {
        *error = "cannot read dialog script " + options.dialogScriptPath;
        return false;
    }
    // A script that cannot run is refused before the module is called at all.
    char message[kErrorSize] = "";
    DialogScript* script = parseDialogScript(steps->c_str(), message, kErrorSize);
    if (script == nullptr) {
        *error = std::string("bad dialog script: ") + message;
        return false;
    }
    freeDialogScript(script);
    return true;
#endif
}

bool armDialogSteps(const std::string& steps, int timeoutMs, std::string* error) {
    if (steps.empty()) return true;
#ifndef PLUGHOST_DIALOG_SCRIPTING
    (void)timeoutMs;
    *error = "dialog scripting is not built in";
    return false;
#else
    char message[kErrorSize] = "";
    armedScript = parseDialogScript(steps.c_str(), message, kErrorSize);
    if (armedScript == nullptr) {
        *error = message;
        return false;
    }
    armDialogScript(armedScript, timeoutMs);
    return true;
#endif
}

bool disarmDialogSteps(std::string* error) {
#ifndef PLUGHOST_DIALOG_SCRIPTING
    (void)error;
    return true;
#else
    if (armedScript == nullptr) return true;
    char message[kErrorSize] = "";
    const bool ok = disarmDialogScript(armedScript, message, kErrorSize);
    freeDialogScript(armedScript);
    armedScript = nullptr;
    if (!ok) *error = message;
    return ok;
#endif
}
