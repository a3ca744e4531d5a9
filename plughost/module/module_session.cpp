#include "plughost/module/module_session.h"

#include <cstdio>
#include <vector>

#include "plughost/cli/host_paths.h"
#include "plughost/cli/trace.h"
#include "plughost/module/crash_guard.h"
#include "plughost/module/gdi_counter.h"
#include "plughost/module/module_hooks.h"
#include "plughost/module/module_loader.h"
#include "plughost/module/module_surroundings.h"
#include "plughost/record/host_window.h"
#include "sdk/host_constants.h"

namespace {

constexpr uint32 kFilterKind = fourCharCode("8BFM");
constexpr int32 kHighestInterfaceMajor = 4;  // this host speaks the 4.x interface
constexpr int32 kVersionShift = 16;
constexpr int32 kKnownInterfaceMajor = 4;  // the version a version-checking host accepts: 4.0

bool checkPiplForRun(const PiplRecord& pipl, std::string* error) {
    if (pipl.kind != kFilterKind) {
        *error = "the module's kind is '" + fourCharText(pipl.kind) + "', not a filter ('8BFM')";
        return false;
    }
    if (pipl.hasVersion && (pipl.version >> kVersionShift) > kHighestInterfaceMajor) {
        *error = "the module needs interface version " +
                 std::to_string(pipl.version >> kVersionShift) + "." +
                 std::to_string(pipl.version & 0xFFFF) + ", newer than this host's 4.x";
        return false;
    }
    return true;
}

// Hosts that check the version at all know the one version the interface has
// had since 4.0: major 4, minor 0.
bool piplVersionIsKnown(const PiplRecord& pipl) {
    return pipl.hasVersion && pipl.version == (kKnownInterfaceMajor << kVersionShift);
}

std::string piplVersionText(const PiplRecord& pipl) {
    if (!pipl.hasVersion) return "(none)";
    return std::to_string(pipl.version >> kVersionShift) + "." +
           std::to_string(pipl.version & 0xFFFF);
}

const std::string& entryNameForThisHost(const PiplRecord& pipl) {
#if defined(__aarch64__) || defined(_M_ARM64)
    return pipl.entryArm64;
#elif defined(_WIN64)
    return pipl.entryX64;
#else
    return pipl.entryX86;
#endif
}

}  // namespace

bool loadFilterForRun(const HostOptions& options, LoadedFilter* filter, std::string* error) {
    filter->fileName = fileNameOf(options.modulePath);
    // The PiPL is read from the file as data first, so a module built for the
    // other architecture is named as such instead of failing to load.
    HMODULE asData = nullptr;
    if (!openModuleAsData(options.modulePath, &asData, error)) return false;
    std::vector<uint8> bytes;
    int count = 0;
    const bool haveBytes = readPiplBytes(asData, &bytes, &count, error);
    FreeLibrary(asData);
    if (!haveBytes) return false;
    std::string problem;
    const PiplStepping stepping =
        options.piplLengthOnly ? PiplStepping::LengthOnly : PiplStepping::RoundedLength;
    if (!readPipl(bytes.data(), bytes.size(), &filter->pipl, &problem, stepping)) {
        *error = "the module's PiPL is malformed: " + problem;
        return false;
    }
    if (!checkPiplForRun(filter->pipl, error)) return false;
    if (options.checkPiplVersion && !piplVersionIsKnown(filter->pipl)) {
        *error = "the module's PiPL names interface version " + piplVersionText(filter->pipl) +
                 ", which this host does not know (it knows 4.0)";
        return false;
    }
    const std::string& entryName = entryNameForThisHost(filter->pipl);
    if (entryName.empty()) {
        *error = std::string("the module's PiPL has no '") + kEntryPropertyName +
                 "' entry point, so this " + kHostArchName + " host cannot run it";
        return false;
    }
    if (!loadModuleForRun(options.modulePath, &filter->module, error)) return false;
    filter->entry = reinterpret_cast<PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(filter->module, entryName.c_str())));
    if (filter->entry == nullptr) {
        *error = "the module does not export \"" + entryName + "\", the entry point its PiPL names";
        return false;
    }
    setCrashModule(filter->module, filter->fileName);

    ModuleHookSettings hooks;
    hooks.altDuringStart = options.alt;
    hooks.overrideWindowsDir = options.hasWindowsDir;
    hooks.windowsDirFails = options.windowsDir == "none";
    hooks.windowsDir = toWindowsPath(options.windowsDir, runningUnderWine());
    installModuleHooks(filter->module, hooks);
    if (options.countGdi) installGdiCounting(filter->module);
    ModuleSurroundings surroundings;
    surroundings.setAppData = options.hasAppData;
    surroundings.appDataMissing = options.appData == "none";
    surroundings.appData = toWindowsPath(options.appData, runningUnderWine());
    surroundings.heldFile = options.heldFile;
    if (!prepareModuleSurroundings(surroundings, error)) return false;

    if (!registerCommonControls()) {
        *error = "cannot register the common controls (trackbar class)";
        return false;
    }
    // About places its box over a visible window; a run's dialogs need only an owner.
    const bool visible =
        options.showWindow < 0 ? options.command == HostCommand::About : options.showWindow != 0;
    HostWindowSettings window = {options.windowX, options.windowY, options.windowWidth,
                                 options.windowHeight, visible};
    filter->window = createHostWindow(window);
    if (filter->window == nullptr) {
        *error = "cannot create the host window";
        return false;
    }
    return true;
}

std::string selectorName(int16 selector) {
    static const char* const kNames[] = {"about", "parameters", "prepare",
                                         "start", "continue",   "finish"};
    if (selector >= 0 && selector < int16(sizeof(kNames) / sizeof(kNames[0]))) {
        return kNames[selector];
    }
    return std::to_string(selector);
}

std::string selectorFailure(int16 selector, int16 result) {
    std::string reason =
        "selector " + selectorName(selector) + " returned " + std::to_string(result);
    switch (result) {
        case memFullErr:
            return reason + " (out of memory)";
        case nilHandleErr:
            return reason + " (a handle or control is missing)";
        case userCanceledErr:
            return reason + " (user cancelled)";
        case filterBadParameters:
            return reason + " (unknown selector or bad parameters)";
        case filterBadMode:
            return reason + " (image mode refused)";
        case kBlockNotOurs:
            return reason + " (the parameters belong to another filter)";
        case kAlreadyReported:
            return reason + " (cancelled, aborted, or an error box was shown)";
        default:
            return reason;
    }
}

int16 callSelector(const LoadedFilter& filter, const HostOptions& options, int16 selector,
                   void* record, intptr_t* data) {
    const std::string nameText = selectorName(selector);
    const char* name = nameText.c_str();
    traceLine("selector %s", name);
    setHostActivity(std::string("selector ") + name);
    int16 result = 0;
    armWatchdog(options.timeoutMs);
    filter.entry(selector, record, data, &result);
    disarmWatchdog();
    setHostActivity(std::string("the host, after selector ") + name);
    traceLine("selector %s -> %d", name, int(result));
    std::printf("result: %s %d\n", name, int(result));
    return result;
}
