// The command line of plughost, read into one plain record. Windows-free.
#pragma once

#include <string>
#include <vector>

#include "plughost/image_files.h"
#include "sdk/host_types.h"

enum class HostCommand { Help, Profiles, Info, Pipl, Strings, Run, About, Pattern, Call };

// How the host offers its handle procedures (--handle-procs).
enum class HandleProcsMode {
    Host,       // all eight, version 1: the module must use them
    None,       // handleProcs is null
    Version2,   // handleProcsVersion 2
    Five,       // numHandleProcs 5
    NoGetSize,  // getSizeProc null
    ZeroSize,   // all eight, but getSizeProc answers 0 for every handle
};

enum class RunKind { Menu, Repeat };

// Where outRect may lie (--out-rect-bounds).
enum class OutRectBounds {
    Auto,    // inside filterRect at rate 1.0; inside the sampled image when inputRate > 1
    Filter,  // inside filterRect, whatever the rate
    Image,   // anywhere in the image
};

constexpr int32 kMinPlanes = 1;
constexpr int32 kMaxPlanes = 8;

constexpr int32 kDefaultTimeoutMs = 60000;
constexpr int32 kDefaultMaxSpace = 256 * 1024 * 1024;
constexpr int32 kDefaultWindowWidth = 1024;
constexpr int32 kDefaultWindowHeight = 768;
constexpr int32 kDefaultWindowX = 40;
constexpr int32 kDefaultWindowY = 30;

struct HostOptions {
    HostCommand command = HostCommand::Help;
    std::string modulePath;

    // pipl
    std::string rawPath;
    // strings
    std::vector<int32> stringIds;

    // run / pattern
    std::string input = "pattern:320x240";  // image file or pattern:WxH; the first of inputs
    std::vector<std::string> inputs;        // every --in: files, folders or patterns
    std::string output;
    std::string outputDir;  // --out-dir: one result per input, named after it
    int32 jpegQuality = kDefaultJpegQuality;
    bool showProgress = false;  // a progress bar on stderr (tools/plughost: when a terminal)
    std::vector<RunKind> runs;  // in order; filled with one Menu run when empty
    std::string paramsPath;
    int32 planes = 3;  // 1..8; 4 is RGB with transparency, others are plain planes
    bool hasRect = false;
    Rect rect = {};
    uint32 hostSig = fourCharCode("PLGH");
    HandleProcsMode handleProcs = HandleProcsMode::Host;
    bool advanceState = true;
    bool displayPixels = true;
    bool supportsPadding = true;
    int32 sampling = 1;
    int32 abortAt = 0;          // 0: abortProc never answers true
    int32 failAdvanceCall = 0;  // 0: no advanceState fails on purpose
    int32 failAdvanceCode = 0;
    bool alt = false;
    bool hasWindowsDir = false;
    std::string windowsDir;  // "none": GetWindowsDirectoryA fails
    bool hasAppData = false;
    std::string appData;   // "none": APPDATA is removed from the environment
    std::string heldFile;  // held open with no sharing for the whole command
    bool hwnd = true;
    bool platformData = true;
    int32 imageMode = 3;
    bool mask = false;
    bool floating = false;
    int32 maxSpace = kDefaultMaxSpace;
    bool time = false;
    bool verifyInput = false;  // checksum the input buffers (slow; the tests use it)
    std::string tracePath;
    std::string dumpDisplayPath;
    OutRectBounds outRectBounds = OutRectBounds::Auto;
    bool progress = true;       // false: progressProc is null
    bool abort = true;          // false: abortProc is null
    bool forceContinue = false;  // Continue once after Start even with empty rectangles

    // Quirks of real hosts, alone or bundled by --host-profile.
    bool zeroOutPlanes = false;       // outLoPlane/outHiPlane read 0; output holds all planes
    bool maxSpaceKilobytes = false;   // maxSpace (and maxSpace64) reported in kilobytes
    bool forgetParameters = false;    // parameters and the data slot dropped after every run
    bool ignoreResults = false;       // the run goes on after a selector fails
    bool lastOutRectOnly = false;     // only the last output rectangle is written back
    bool refuseEmptyHandles = false;  // newProc(0) answers null
    int32 onlyWidth = 0;  // 32 or 64 (x86 or x64): other widths and ARM64 are refused
    bool checkPiplVersion = false;    // a PiPL of an unknown interface version is refused
    bool piplLengthOnly = false;      // the PiPL is walked by each data length, not rounded up
    bool memoryErrorBare = false;     // memFullErr is said as a bare "Memory Error"

    // call
    int32 selector = 0;

    // run, about, call
    bool countGdi = false;

    // run / about
    std::string dialogSteps;       // --do, UTF-8
    std::string dialogScriptPath;  // --script
    int32 timeoutMs = kDefaultTimeoutMs;
    int32 windowWidth = kDefaultWindowWidth;
    int32 windowHeight = kDefaultWindowHeight;
    int32 windowX = kDefaultWindowX;
    int32 windowY = kDefaultWindowY;
    int32 showWindow = -1;  // -1: the command's default (about shows it, run hides it)
    int32 aboutRuns = 1;    // about --runs N: open and close the box N times
};

// Reads argv[1..]. False with a message on a bad command line.
bool parseHostOptions(int argc, char** argv, HostOptions* options, std::string* error);

// The help text.
const char* hostUsage();
