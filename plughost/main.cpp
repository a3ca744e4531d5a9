// plughost: a host of the filter plug-in interface for tests and batch runs.
// Commands: info, pipl, strings, run, about, pattern, call (see hostUsage).

#include <windows.h>

#include <cstdio>
#include <vector>

#include "plughost/about_command.h"
#include "plughost/call_command.h"
#include "plughost/crash_guard.h"
#include "plughost/filter_run.h"
#include "plughost/gdi_counter.h"
#include "plughost/host_exit.h"
#include "plughost/host_image.h"
#include "plughost/host_options.h"
#include "plughost/host_paths.h"
#include "plughost/host_profiles.h"
#include "plughost/image_files.h"
#include "plughost/module_loader.h"
#include "plughost/pipl_reader.h"

namespace {

constexpr uint8 kDontCopyToDestination = 0x01;
constexpr uint8 kWorksWithBlankData = 0x02;
constexpr uint8 kFiltersLayerMask = 0x04;
constexpr uint8 kWritesOutsideSelection = 0x08;
constexpr int kModeCount = 18;
constexpr int32 kPngPlanes = 4;

std::string flagsText(uint8 flags) {
    std::string names;
    auto add = [&](uint8 bit, const char* name) {
        if (!(flags & bit)) return;
        names += names.empty() ? "" : ", ";
        names += name;
    };
    add(kDontCopyToDestination, "don't copy to destination");
    add(kWorksWithBlankData, "works with blank data");
    add(kFiltersLayerMask, "filters layer mask");
    add(kWritesOutsideSelection, "writes outside selection");
    return names.empty() ? "" : " (" + names + ")";
}

std::string orNone(const std::string& text, bool present) { return present ? text : "(none)"; }

void printPipl(const PiplRecord& pipl, const std::string& fileName, int resourceCount) {
    std::printf("module: %s\n", fileName.c_str());
    std::printf("pipl resources: %d\n", resourceCount);
    std::printf("kind: %s\n", fourCharText(pipl.kind).c_str());
    std::printf("version: %s\n", pipl.hasVersion ? (std::to_string(pipl.version >> 16) + "." +
                                                    std::to_string(pipl.version & 0xFFFF))
                                                       .c_str()
                                                 : "(none)");
    std::printf("priority: %s\n", orNone(std::to_string(pipl.priority), pipl.hasPriority).c_str());
    std::printf("category: %s\n", orNone(pipl.category, pipl.hasCategory).c_str());
    std::printf("name: %s\n", orNone(pipl.name, pipl.hasName).c_str());
    std::printf("entry wx86: %s\n", orNone(pipl.entryX86, !pipl.entryX86.empty()).c_str());
    std::printf("entry 8664: %s\n", orNone(pipl.entryX64, !pipl.entryX64.empty()).c_str());
    std::printf("entry wa64: %s\n", orNone(pipl.entryArm64, !pipl.entryArm64.empty()).c_str());
    std::string modes;
    for (int mode = 0; mode < kModeCount; ++mode) {
        if (!piplSupportsMode(pipl, mode)) continue;
        modes += (modes.empty() ? "" : " ") + imageModeName(mode);
    }
    std::printf("modes: %s\n",
                pipl.hasModes ? (modes.empty() ? "(none set)" : modes.c_str()) : "(none)");
    if (!pipl.hasFilterCases) std::printf("filter cases: (none)\n");
    for (int i = 0; pipl.hasFilterCases && i < kFilterCaseCount; ++i) {
        const FilterCaseInfo& info = pipl.filterCases[i];
        const uint8 flags1 = uint8(info.flags1);
        std::printf("case %d (%s): input %s, output %s, flags1 0x%02X%s, flags2 0x%02X\n", i + 1,
                    filterCaseName(i + 1).c_str(), dataHandlingName(info.inputHandling).c_str(),
                    dataHandlingName(info.outputHandling).c_str(), unsigned(flags1),
                    flagsText(flags1).c_str(), unsigned(uint8(info.flags2)));
    }
    std::printf("properties: %d\n", int(pipl.properties.size()));
    for (size_t i = 0; i < pipl.properties.size(); ++i) {
        const PiplProperty& p = pipl.properties[i];
        std::printf("property %d: %s %s id %d length %d\n", int(i + 1),
                    fourCharText(p.vendor).c_str(), fourCharText(p.key).c_str(), int(p.id),
                    int(p.length));
    }
}

int infoCommand(const HostOptions& o, bool raw) {
    HMODULE module = nullptr;
    std::string error;
    if (!openModuleAsData(o.modulePath, &module, &error)) return reportHostError(error);
    std::vector<uint8> bytes;
    int count = 0;
    if (!readPiplBytes(module, &bytes, &count, &error)) return reportHostError(error);
    if (raw) {
        FILE* file = std::fopen(o.rawPath.c_str(), "wb");
        if (file == nullptr) return reportHostError("cannot write " + o.rawPath);
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (std::fclose(file) != 0 || !ok) return reportHostError("cannot write " + o.rawPath);
        std::printf("pipl: %d bytes written to %s\n", int(bytes.size()), o.rawPath.c_str());
        return kExitSuccess;
    }
    PiplRecord pipl;
    if (!readPipl(bytes.data(), bytes.size(), &pipl, &error)) {
        return reportHostError("malformed PiPL in " + fileNameOf(o.modulePath) + ": " + error);
    }
    printPipl(pipl, fileNameOf(o.modulePath), count);
    // Hosts step through the list in two ways; a module that only one of them
    // reads whole is missing from, or misread by, the others.
    std::string difference;
    if (piplSteppingsAgree(bytes.data(), bytes.size(), &difference)) {
        std::printf("steppings: agree (rounded up or by length alone: %d properties, ending at "
                    "byte %d)\n",
                    int(pipl.properties.size()), int(pipl.end));
    } else {
        std::printf("steppings: differ: %s\n", difference.c_str());
    }
    return kExitSuccess;
}

int stringsCommand(const HostOptions& o) {
    HMODULE module = nullptr;
    std::string error;
    if (!openModuleAsData(o.modulePath, &module, &error)) return reportHostError(error);
    int status = kExitSuccess;
    for (int32 id : o.stringIds) {
        std::string text;
        if (loadModuleString(module, id, &text)) {
            std::printf("%d: %s\n", int(id), text.c_str());
        } else {
            sayFailure("the module has no string " + std::to_string(id));
            status = kExitSelectorFailed;
        }
    }
    return status;
}

int patternCommand(const HostOptions& o) {
    int32 width = 0, height = 0;
    if (!parsePatternText(o.input, &width, &height))
        return reportHostError("bad size in " + o.input);
    if (o.planes > kPngPlanes)
        return reportHostError("a PNG file holds at most " + std::to_string(kPngPlanes) +
                               " planes");
    std::string error;
    if (!saveImageFile(o.output, userPath(o.output), makeTestPattern(width, height, o.planes),
                       o.jpegQuality, &error))
        return reportHostError(error);
    return kExitSuccess;
}

// Linux paths from the command line in the form the Windows side needs.
void localizePaths(HostOptions* o) {
    const bool wine = runningUnderWine();
    for (std::string* path :
         {&o->modulePath, &o->rawPath, &o->output, &o->outputDir, &o->paramsPath, &o->tracePath,
          &o->dumpDisplayPath, &o->dialogScriptPath, &o->heldFile}) {
        *path = toWindowsPath(*path, wine);
    }
    if (o->input.compare(0, 8, "pattern:") != 0) o->input = toWindowsPath(o->input, wine);
    for (std::string& input : o->inputs) {
        if (input.compare(0, 8, "pattern:") != 0) input = toWindowsPath(input, wine);
    }
}

// The module's application-data folder and the dialog steps (names typed into a
// file dialog) may hold letters that the ANSI code page lacks: they are taken
// again, as UTF-8, from the wide command line. plughost's own file names stay in
// the code page of its ANSI file calls.
void takeUnicodeOptions(HostOptions* o) {
    if (o->hasAppData) utf8OptionValue("--app-data", &o->appData);
    if (!o->dialogSteps.empty()) utf8OptionValue("--do", &o->dialogSteps);
}

// --count-gdi: the module's GDI objects, once the command is over.
int withGdiReport(const HostOptions& o, int status) {
    if (o.countGdi) printGdiCounts();
    return status;
}

}  // namespace

int runCommand(const HostOptions& options) {
    switch (options.command) {
        case HostCommand::Help:
            std::printf("%s", hostUsage());
            return kExitSuccess;
        case HostCommand::Profiles:
            std::printf("%s", hostProfileList().c_str());
            return kExitSuccess;
        case HostCommand::Info:
            return infoCommand(options, false);
        case HostCommand::Pipl:
            return infoCommand(options, true);
        case HostCommand::Strings:
            return stringsCommand(options);
        case HostCommand::Run:
            return withGdiReport(options, runFilterCommand(options));
        case HostCommand::About:
            return withGdiReport(options, aboutCommand(options));
        case HostCommand::Call:
            return withGdiReport(options, callCommand(options));
        case HostCommand::Pattern:
            return patternCommand(options);
    }
    return reportHostError("unknown command");
}

int main(int argc, char** argv) {
    // Unbuffered, so the lines of a run that ends abruptly are all there and in order.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // As a host of today, aware of the screen's resolution: on a 200 % screen the
    // module's dialogs are laid out at that resolution, not drawn at 96 DPI and
    // stretched by the system. At 96 DPI nothing changes.
    SetProcessDPIAware();
    installCrashHandlers();
    HostOptions options;
    std::string error;
    if (!parseHostOptions(argc, argv, &options, &error)) {
        sayFailure(error);
        std::fputs(hostUsage(), stderr);
        return explainExit(kExitHostError);
    }
    takeUnicodeOptions(&options);
    localizePaths(&options);
    return explainExit(runCommand(options));
}
