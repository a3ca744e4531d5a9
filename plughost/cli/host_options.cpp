#include "plughost/cli/host_options.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plughost/cli/host_profiles.h"
#include "plughost/pictures/rect_utils.h"

namespace {

constexpr int32 kMinWindowSide = 64;
constexpr int32 kMaxWindowSide = 8192;
constexpr int32 kMaxRuns = 1000;
constexpr int32 kLowestJpegQuality = 1;
constexpr int32 kHighestJpegQuality = 100;
constexpr size_t kSignatureLength = 4;
constexpr long kInt16Min = INT16_MIN;
constexpr long kInt16Max = INT16_MAX;
constexpr long kInt32Max = INT32_MAX;
constexpr long kLargestStringId = 65535;  // string ids are 16-bit

bool parseInt(const char* text, long low, long high, int32* value) {
    if (text == nullptr || *text == 0) return false;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 0);
    if (*end != 0 || parsed < low || parsed > high) return false;
    *value = int32(parsed);
    return true;
}

bool parseSize(const char* text, int32* width, int32* height) {
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &w, &h, &tail) != 2) return false;
    if (w < kMinWindowSide || h < kMinWindowSide || w > kMaxWindowSide || h > kMaxWindowSide) {
        return false;
    }
    *width = w;
    *height = h;
    return true;
}

bool parseHandleProcs(const std::string& text, HandleProcsMode* mode) {
    static const struct {
        const char* name;
        HandleProcsMode mode;
    } kModes[] = {{"host", HandleProcsMode::Host},
                  {"none", HandleProcsMode::None},
                  {"version2", HandleProcsMode::Version2},
                  {"five", HandleProcsMode::Five},
                  {"no-getsize", HandleProcsMode::NoGetSize},
                  {"zero-size", HandleProcsMode::ZeroSize}};
    for (const auto& entry : kModes) {
        if (text == entry.name) {
            *mode = entry.mode;
            return true;
        }
    }
    return false;
}

bool parseCommand(const std::string& text, HostCommand* command) {
    static const struct {
        const char* name;
        HostCommand command;
    } kCommands[] = {{"info", HostCommand::Info},       {"pipl", HostCommand::Pipl},
                     {"strings", HostCommand::Strings}, {"run", HostCommand::Run},
                     {"about", HostCommand::About},     {"pattern", HostCommand::Pattern},
                     {"call", HostCommand::Call},       {"help", HostCommand::Help},
                     {"--help", HostCommand::Help},     {"-h", HostCommand::Help}};
    for (const auto& entry : kCommands) {
        if (text == entry.name) {
            *command = entry.command;
            return true;
        }
    }
    return false;
}

bool parseRunKind(const std::string& text, RunKind* kind) {
    if (text == "menu")
        *kind = RunKind::Menu;
    else if (text == "repeat")
        *kind = RunKind::Repeat;
    else
        return false;
    return true;
}

// The quirks of real hosts that a profile switches on: --NAME switches one on,
// --no-NAME off again (after a profile that has it).
bool parseHostQuirk(const std::string& option, HostOptions* o) {
    static const struct {
        const char* name;
        bool HostOptions::*flag;
    } kQuirks[] = {{"zero-out-planes", &HostOptions::zeroOutPlanes},
                   {"max-space-kb", &HostOptions::maxSpaceKilobytes},
                   {"forget-parameters", &HostOptions::forgetParameters},
                   {"ignore-results", &HostOptions::ignoreResults},
                   {"last-out-rect-only", &HostOptions::lastOutRectOnly},
                   {"refuse-empty-handles", &HostOptions::refuseEmptyHandles},
                   {"check-pipl-version", &HostOptions::checkPiplVersion},
                   {"pipl-length-only", &HostOptions::piplLengthOnly},
                   {"memory-error-bare", &HostOptions::memoryErrorBare}};
    for (const auto& quirk : kQuirks) {
        if (option == std::string("--") + quirk.name) {
            o->*quirk.flag = true;
            return true;
        }
        if (option == std::string("--no-") + quirk.name) {
            o->*quirk.flag = false;
            return true;
        }
    }
    return false;
}

// Reads one option at argv[*index]; advances *index past its value.
bool parseOption(int argc, char** argv, int* index, HostOptions* o, RunKind* firstRun,
                 int32* runCount, std::vector<RunKind>* thenRuns, std::string* error) {
    const std::string option = argv[*index];
    auto value = [&](const char** out) {
        if (*index + 1 >= argc) {
            *error = option + " needs a value";
            return false;
        }
        *out = argv[++*index];
        return true;
    };
    auto bad = [&](const char* text) {
        *error = "bad value for " + option + ": \"" + std::string(text) + "\"";
        return false;
    };
    const char* v = nullptr;
    if (option == "--in") return value(&v) && (o->inputs.push_back(v), true);
    if (option == "--out") return value(&v) && (o->output = v, true);
    if (option == "--out-dir") return value(&v) && (o->outputDir = v, true);
    if (option == "--show-progress") return (o->showProgress = true, true);
    if (option == "--quality") {
        if (!value(&v)) return false;
        return parseInt(v, kLowestJpegQuality, kHighestJpegQuality, &o->jpegQuality) || bad(v);
    }
    if (option == "--raw") return value(&v) && (o->rawPath = v, true);
    if (option == "--params") return value(&v) && (o->paramsPath = v, true);
    if (option == "--trace") return value(&v) && (o->tracePath = v, true);
    if (option == "--dump-display") return value(&v) && (o->dumpDisplayPath = v, true);
    if (option == "--do") return value(&v) && (o->dialogSteps = v, true);
    if (option == "--script") return value(&v) && (o->dialogScriptPath = v, true);
    if (option == "--repeat") return (*firstRun = RunKind::Repeat, true);
    if (option == "--no-advance-state") return (o->advanceState = false, true);
    if (option == "--no-display-pixels") return (o->displayPixels = false, true);
    if (option == "--alt") return (o->alt = true, true);
    if (option == "--no-hwnd") return (o->hwnd = false, true);
    if (option == "--no-platform-data") return (o->platformData = false, true);
    if (option == "--mask") return (o->mask = true, true);
    if (option == "--floating") return (o->floating = true, true);
    if (option == "--time") return (o->time = true, true);
    if (option == "--verify-input") return (o->verifyInput = true, true);
    if (option == "--no-progress") return (o->progress = false, true);
    if (option == "--no-abort") return (o->abort = false, true);
    if (option == "--force-continue") return (o->forceContinue = true, true);
    if (option == "--count-gdi") return (o->countGdi = true, true);
    if (parseHostQuirk(option, o)) return true;
    if (option == "--only-width") {
        if (!value(&v)) return false;
        if (std::strcmp(v, "32") == 0 || std::strcmp(v, "64") == 0)
            o->onlyWidth = int32(std::atoi(v));
        else if (std::strcmp(v, "any") == 0)
            o->onlyWidth = 0;
        else
            return bad(v);
        return true;
    }
    if (option == "--hide-window") return (o->showWindow = 0, true);
    if (option == "--show-window") return (o->showWindow = 1, true);
    if (option == "--runs") {
        if (!value(&v)) return false;
        return parseInt(v, 1, kMaxRuns, runCount) || bad(v);
    }
    if (option == "--then") {
        RunKind kind = RunKind::Menu;
        if (!value(&v)) return false;
        if (!parseRunKind(v, &kind)) return bad(v);
        thenRuns->push_back(kind);
        return true;
    }
    if (option == "--planes") {
        if (!value(&v)) return false;
        return (parseInt(v, kMinPlanes, kMaxPlanes, &o->planes)) || bad(v);
    }
    if (option == "--rect") {
        if (!value(&v)) return false;
        o->hasRect = parseRect(v, &o->rect);
        return o->hasRect || bad(v);
    }
    if (option == "--host-sig") {
        if (!value(&v)) return false;
        if (std::strlen(v) != kSignatureLength) return bad(v);
        const unsigned char* c = reinterpret_cast<const unsigned char*>(v);
        o->hostSig = (uint32(c[0]) << 24) | (uint32(c[1]) << 16) | (uint32(c[2]) << 8) | c[3];
        return true;
    }
    if (option == "--handle-procs") {
        if (!value(&v)) return false;
        return parseHandleProcs(v, &o->handleProcs) || bad(v);
    }
    if (option == "--padding") {
        if (!value(&v)) return false;
        if (std::strcmp(v, "yes") == 0)
            o->supportsPadding = true;
        else if (std::strcmp(v, "no") == 0)
            o->supportsPadding = false;
        else
            return bad(v);
        return true;
    }
    if (option == "--sampling") {
        if (!value(&v)) return false;
        return parseInt(v, 0, 2, &o->sampling) || bad(v);
    }
    if (option == "--abort-at") {
        if (!value(&v)) return false;
        return parseInt(v, 1, kInt32Max, &o->abortAt) || bad(v);
    }
    if (option == "--fail-advance") {
        if (!value(&v)) return false;
        const char* colon = std::strchr(v, ':');
        if (colon == nullptr) return bad(v);
        const std::string call(v, colon);
        return (parseInt(call.c_str(), 1, kInt32Max, &o->failAdvanceCall) &&
                parseInt(colon + 1, kInt16Min, kInt16Max, &o->failAdvanceCode)) ||
               bad(v);
    }
    if (option == "--windows-dir") {
        if (!value(&v)) return false;
        o->hasWindowsDir = true;
        o->windowsDir = v;
        return true;
    }
    if (option == "--app-data") {
        if (!value(&v)) return false;
        o->hasAppData = true;
        o->appData = v;
        return true;
    }
    if (option == "--hold-file") return value(&v) && (o->heldFile = v, true);
    if (option == "--image-mode") {
        if (!value(&v)) return false;
        return parseInt(v, kInt16Min, kInt16Max, &o->imageMode) || bad(v);
    }
    if (option == "--max-space") {
        if (!value(&v)) return false;
        return parseInt(v, 0, kInt32Max, &o->maxSpace) || bad(v);
    }
    if (option == "--timeout") {
        if (!value(&v)) return false;
        return parseInt(v, 1, kInt32Max, &o->timeoutMs) || bad(v);
    }
    if (option == "--host-window") {
        if (!value(&v)) return false;
        return parseSize(v, &o->windowWidth, &o->windowHeight) || bad(v);
    }
    if (option == "--window-pos") {
        int x = 0, y = 0;
        char tail = 0;
        if (!value(&v)) return false;
        if (std::sscanf(v, "%d,%d%c", &x, &y, &tail) != 2) return bad(v);
        o->windowX = x;
        o->windowY = y;
        return true;
    }
    if (option == "--out-rect-bounds") {
        if (!value(&v)) return false;
        if (std::strcmp(v, "auto") == 0)
            o->outRectBounds = OutRectBounds::Auto;
        else if (std::strcmp(v, "filter") == 0)
            o->outRectBounds = OutRectBounds::Filter;
        else if (std::strcmp(v, "image") == 0)
            o->outRectBounds = OutRectBounds::Image;
        else
            return bad(v);
        return true;
    }
    *error = "unknown option " + option;
    return false;
}

// argv[2..] with every "--host-profile NAME" replaced by the profile's switches,
// in place, so that switches after it override it. "--host-profile help" asks
// for the list of profiles.
bool expandHostProfiles(int argc, char** argv, HostOptions* o, std::vector<std::string>* words,
                        std::string* error) {
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word != "--host-profile") {
            words->push_back(word);
            continue;
        }
        if (i + 1 >= argc) {
            *error = "--host-profile needs a value (help lists them)";
            return false;
        }
        const std::string name = argv[++i];
        if (name == "help") {
            o->command = HostCommand::Profiles;
            return true;
        }
        std::vector<std::string> switches;
        if (!hostProfileSwitches(name, &switches)) {
            *error =
                "unknown host profile \"" + name + "\"; these are known:\n" + hostProfileList();
            return false;
        }
        words->insert(words->end(), switches.begin(), switches.end());
    }
    return true;
}

}  // namespace

bool parseHostOptions(int argc, char** argv, HostOptions* o, std::string* error) {
    *o = HostOptions();
    if (argc < 2) {
        o->command = HostCommand::Help;
        return true;
    }
    if (!parseCommand(argv[1], &o->command)) {
        *error = "unknown command \"" + std::string(argv[1]) + "\"";
        return false;
    }
    if (o->command == HostCommand::Help) return true;
    // "plughost run --help": the usage, whatever else stands on the line.
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            o->command = HostCommand::Help;
            return true;
        }
    }

    std::vector<std::string> words;
    if (!expandHostProfiles(argc, argv, o, &words, error)) return false;
    if (o->command == HostCommand::Profiles) return true;
    std::vector<char*> expanded;
    for (std::string& word : words) expanded.push_back(&word[0]);
    const int count = int(expanded.size());
    char** args = expanded.data();

    RunKind firstRun = RunKind::Menu;
    int32 runCount = 1;
    std::vector<RunKind> thenRuns;
    std::vector<std::string> positional;
    for (int i = 0; i < count; ++i) {
        if (args[i][0] == '-' && args[i][1] == '-') {
            if (!parseOption(count, args, &i, o, &firstRun, &runCount, &thenRuns, error)) {
                return false;
            }
        } else {
            positional.push_back(args[i]);
        }
    }

    if (!o->inputs.empty()) o->input = o->inputs.front();
    if (o->inputs.empty()) o->inputs.push_back(o->input);
    if (!o->output.empty() && !o->outputDir.empty()) {
        *error = "--out and --out-dir cannot be combined";
        return false;
    }
    if (o->command == HostCommand::Pattern) {
        // plughost pattern WxH --out FILE [--planes 4]: the built-in picture as a file.
        if (positional.size() != 1 || o->output.empty()) {
            *error = "usage: plughost pattern WxH --out FILE [--planes 1-4]";
            return false;
        }
        o->input = "pattern:" + positional[0];
        return true;
    }
    if (positional.empty()) {
        *error = "the command needs a module path";
        return false;
    }
    o->modulePath = positional[0];
    if (o->command == HostCommand::Strings) {
        if (positional.size() < 2) {
            *error = "strings needs at least one string id";
            return false;
        }
        for (size_t i = 1; i < positional.size(); ++i) {
            int32 id = 0;
            if (!parseInt(positional[i].c_str(), 0, kLargestStringId, &id)) {
                *error = "bad string id \"" + positional[i] + "\"";
                return false;
            }
            o->stringIds.push_back(id);
        }
    } else if (o->command == HostCommand::Call) {
        if (positional.size() != 2) {
            *error = "usage: plughost call MODULE SELECTOR [run options]";
            return false;
        }
        if (!parseInt(positional[1].c_str(), kInt16Min, kInt16Max, &o->selector)) {
            *error = "bad selector \"" + positional[1] + "\" (a 16-bit signed number)";
            return false;
        }
    } else if (positional.size() > 1) {
        *error = "unexpected argument \"" + positional[1] + "\"";
        return false;
    }
    if (o->command == HostCommand::Pipl && o->rawPath.empty()) {
        *error = "pipl needs --raw FILE";
        return false;
    }
    if (!o->dialogSteps.empty() && !o->dialogScriptPath.empty()) {
        *error = "--do and --script cannot be combined";
        return false;
    }
    o->aboutRuns = runCount;
    o->runs.assign(size_t(runCount), firstRun);
    o->runs.insert(o->runs.end(), thenRuns.begin(), thenRuns.end());
    return true;
}

const char* hostUsage() {
    return "usage: plughost COMMAND MODULE [options]\n"
           "commands:\n"
           "  info MODULE                   print the module's PiPL as a host reads it\n"
           "  pipl MODULE --raw FILE        write the raw PiPL bytes to FILE\n"
           "  strings MODULE ID...          print string-table entries as 'ID: text'\n"
           "  run MODULE [options]          filter an image (Parameters, Prepare, Start,\n"
           "                                Continue..., Finish)\n"
           "  about MODULE [options]        call About with the host window as owner\n"
           "  pattern WxH --out FILE        write the built-in test picture\n"
           "  call MODULE SELECTOR [options] call the entry once with any selector and a\n"
           "                                filled record; print 'result: SELECTOR CODE' and\n"
           "                                what changed in the record and the data slot\n"
           "run options:\n"
           "  --in FILE|FOLDER|pattern:WxH (up to 32767 a side; repeat --in for several\n"
           "  pictures, which need --out-dir)  --out FILE.png|.jpg  --out-dir FOLDER\n"
           "  (each result named after its picture, written as it is finished)\n"
           "  --quality 1-100 (JPEG, default 90)  --show-progress (a bar on stderr)\n"
           "  --planes 1-8\n"
           "  (4: RGB and transparency; beyond 4, --out keeps the first four planes)\n"
           "  --rect T,L,B,R (may be empty, must lie inside the image)\n"
           "  --repeat  --runs N  --then menu|repeat  (each run filters the source afresh;\n"
           "                                 --out gets the last run's result)\n"
           "  --params FILE  (loaded before the first run when it exists, saved after the\n"
           "                 last; removed when the module leaves parameters null)\n"
           "  --host-sig CODE  --image-mode N  --max-space N  --mask  --floating\n"
           "  --handle-procs host|none|version2|five|no-getsize|zero-size\n"
           "  --no-advance-state  --no-display-pixels  --no-hwnd  --no-platform-data\n"
           "  --padding yes|no  --sampling 0|1|2  --out-rect-bounds auto|filter|image\n"
           "  (auto: filterRect, or the image scaled down by inputRate when it is > 1)\n"
           "  --no-progress  --no-abort  (null progressProc / abortProc)\n"
           "  --host-profile NAME|help  (a real host's quirks together; switches after it\n"
           "                 override it, --no-QUIRK turns one of these off)\n"
           "  --zero-out-planes  --max-space-kb\n"
           "  --forget-parameters (parameters and data slot dropped after every run)\n"
           "  --ignore-results (go on after a failed selector)  --last-out-rect-only\n"
           "  --refuse-empty-handles  --only-width 32|64|any (x86, x64)  --check-pipl-version\n"
           "  --memory-error-bare (say memFullErr as \"Memory Error\")\n"
           "  --pipl-length-only (step through the PiPL by each data length, not rounded up)\n"
           "  --force-continue  (Continue once after Start even with empty rectangles)\n"
           "  --abort-at N  --fail-advance N:CODE  --alt  --windows-dir PATH|none\n"
           "  --app-data PATH|none  (the module's APPDATA)  --hold-file FILE  (held open,\n"
           "                 unshared, as by another program)\n"
           "  --time  --trace FILE  --dump-display FILE.png\n"
           "  --verify-input  (checksum inData and maskData around every call: catches a\n"
           "                 module that writes into its input, at several times the cost)\n"
           "run and about options:\n"
           "  --do \"STEP; STEP\"  --script FILE   dialog steps, armed for About or for the\n"
           "                                 first run's Start\n"
           "  --timeout MS (per selector, default 60000)  --host-window WxH\n"
           "  --window-pos X,Y  --show-window  --hide-window (run hides it by default)\n"
           "  --count-gdi  (count the module's GDI objects; also for call)\n"
           "about options:\n"
           "  --runs N  (open and close the box N times; the --do script runs each time)\n"
           "exit status: 0 every selector returned 0; 1 a selector failed; 2 usage or\n"
           "host error; 3 the module crashed; 4 the module broke the interface (wrote\n"
           "outside a buffer, into its input...); 5 timeout\n";
}
