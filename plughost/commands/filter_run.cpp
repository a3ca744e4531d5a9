// A menu run is Parameters, Prepare, Start, then Continue while the module
// leaves a rectangle non-empty, then Finish (only when Start returned 0). A
// repeat run skips Parameters and uses the parameters handle kept from before.
// Every run filters the source picture afresh; --out holds the last run's result.
// --force-continue adds one Continue after Start even when the rectangles are empty.

#include "plughost/commands/filter_run.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "plughost/cli/host_exit.h"
#include "plughost/cli/host_paths.h"
#include "plughost/cli/progress_bar.h"
#include "plughost/cli/trace.h"
#include "plughost/commands/params_file.h"
#include "plughost/commands/picture_list.h"
#include "plughost/dialog/script_arming.h"
#include "plughost/module/module_hooks.h"
#include "plughost/module/module_session.h"
#include "plughost/pictures/image_files.h"
#include "plughost/pictures/rect_utils.h"
#include "plughost/record/callback_clock.h"
#include "plughost/record/display_pixels.h"
#include "plughost/record/host_callbacks.h"
#include "plughost/record/host_handles.h"
#include "plughost/record/host_record.h"
#include "sdk/host_constants.h"

namespace {

constexpr int32 kContinueAllowancePerPixelLine = 4;  // Continue calls per row plus column
constexpr int32 kContinueAllowanceBase = 256;
constexpr int16 errReportString = -30904;
#ifdef _WIN64
constexpr int32 kHostWidthBits = 64;
#else
constexpr int32 kHostWidthBits = 32;
#endif
// A host of one width (--only-width) is an x86 or x64 program: built for ARM64,
// this host stands for a Windows on ARM host, which such a program is not.
#if defined(__aarch64__)
constexpr bool kHostIsArm64 = true;
#else
constexpr bool kHostIsArm64 = false;
#endif

struct RunContext {
    const HostOptions* options = nullptr;
    const LoadedFilter* filter = nullptr;
    HostImage source;
    HostImage target;
    HostMask mask;
    bool hasMask = false;
    Rect filterRect = {};
    PlatformData platform = {};
    unsigned char errorString[kStr255Size] = {};
    Handle parameters = nullptr;  // kept between runs, as a host keeps it
    intptr_t data = 0;            // the module's per-filter slot, kept between runs
    bool anyFailure = false;
};

OutRectRule outRectRuleFor(OutRectBounds bounds) {
    switch (bounds) {
        case OutRectBounds::Filter:
            return OutRectRule::FilterRect;
        case OutRectBounds::Image:
            return OutRectRule::Image;
        case OutRectBounds::Auto:
            break;
    }
    return OutRectRule::FollowRate;
}

bool anyRectNonEmpty(const FilterRecord& r) {
    return !rectIsEmpty(r.inRect) || !rectIsEmpty(r.outRect) || !rectIsEmpty(r.maskRect);
}

// One selector of a filter run, with the checks that follow every selector.
int16 filterSelector(RunContext* context, FilterRecord* record, int16 selector) {
    const int16 result =
        callSelector(*context->filter, *context->options, selector, record, &context->data);
    context->parameters = record->parameters;
    checkModuleBuffers((std::string("the end of selector ") + selectorName(selector)).c_str());
    traceRecord(*record);
    if (result == errReportString) {
        const size_t length = context->errorString[0];
        std::printf("error string: %.*s\n", int(length),
                    reinterpret_cast<const char*>(context->errorString + 1));
    }
    if (result == memFullErr && context->options->memoryErrorBare) {
        std::printf("host: Memory Error\n");  // all such a host tells its user
    }
    if (result != 0) {
        context->anyFailure = true;
        std::string reason = selectorFailure(selector, result);
        if (result == errReportString) {
            reason += " with the error string \"" +
                      std::string(reinterpret_cast<const char*>(context->errorString + 1),
                                  context->errorString[0]) +
                      "\"";
        }
        noteFailure(reason);
    }
    return result;
}

int16 startWithDialogs(RunContext* context, FilterRecord* record, const std::string& steps) {
    const HostOptions& o = *context->options;
    std::string error;
    if (!armDialogSteps(steps, o.timeoutMs, &error)) {
        std::printf("dialog: %s\n", error.c_str());
        noteFailure("dialog: " + error);
        context->anyFailure = true;
        return paramErr;
    }
    resetCallbackClock();
    setStartInProgress(true);
    const double started = nowMilliseconds();
    const int16 result = filterSelector(context, record, filterSelectorStart);
    const double elapsed = nowMilliseconds() - started;
    setStartInProgress(false);
    if (o.time) {
        const double callbacks = callbackMilliseconds();
        std::printf("time: start %.1f ms, callbacks %.1f ms, module %.1f ms\n", elapsed, callbacks,
                    elapsed - callbacks);
    }
    if (!disarmDialogSteps(&error)) {
        std::printf("dialog: %s\n", error.c_str());
        traceLine("note dialog: %s", error.c_str());
        noteCause("dialog: " + error);
        context->anyFailure = true;
    }
    return result;
}

// Continue while the module leaves a rectangle non-empty; bounded, so a module
// that never empties them cannot keep the host forever.
void continueLoop(RunContext* context, FilterRecord* record, HostSession* session) {
    const int32 allowance =
        kContinueAllowancePerPixelLine * (context->source.width + context->source.height) +
        kContinueAllowanceBase;
    int32 calls = 0;
    while (!session->aborted && anyRectNonEmpty(*record)) {
        if (calls == allowance) {
            finishDelivery();
            filterSelector(context, record, filterSelectorFinish);
            endRunNow(kExitViolation, "fault: the module asked for data through " +
                                          std::to_string(allowance) +
                                          " Continue calls without emptying inRect, outRect "
                                          "and maskRect; the host stopped it");
        }
        const int16 delivered = deliverBeforeContinue();
        if (delivered != 0) {
            std::printf("host: delivery before continue failed with %d\n", int(delivered));
            noteFailure("delivery before continue failed with " + std::to_string(delivered));
            context->anyFailure = true;
            return;
        }
        ++calls;
        if (filterSelector(context, record, filterSelectorContinue) != 0) return;
    }
}

void runOnce(RunContext* context, RunKind kind, int number, const std::string& steps) {
    const HostOptions& o = *context->options;
    const char* kindName = kind == RunKind::Menu ? "menu" : "repeat";
    traceLine("run %d %s", number, kindName);
    std::printf("run: %d %s\n", number, kindName);
    context->target = context->source;

    RecordSource recordSource;
    recordSource.options = &o;
    recordSource.image = &context->source;
    recordSource.filterRect = context->filterRect;
    recordSource.hasMask = context->hasMask;
    context->platform.hwnd = o.hwnd ? reinterpret_cast<intptr_t>(context->filter->window) : 0;
    recordSource.platform = &context->platform;
    recordSource.errorString = context->errorString;
    recordSource.parameters = context->parameters;
    FilterRecord record;
    fillFilterRecord(recordSource, &record);
    HostSession session;
    session.options = &o;
    session.record = &record;
    session.document.source = &context->source;
    session.document.target = &context->target;
    session.document.mask = context->hasMask ? &context->mask : nullptr;
    session.document.filterRect = context->filterRect;
    session.policy.supportsPadding = o.supportsPadding;
    session.policy.samplingSupport = char(o.sampling);
    session.policy.verifyInput = o.verifyInput;
    session.policy.outRect = outRectRuleFor(o.outRectBounds);
    session.policy.zeroOutPlanes = o.zeroOutPlanes;
    attachSession(&session);

    // A host that ignores result codes goes on to the next selector whatever
    // the last one answered.
    const bool goOn = o.ignoreResults;
    bool go = true;
    if (kind == RunKind::Menu) {
        go = filterSelector(context, &record, filterSelectorParameters) == 0 || goOn;
    }
    if (go) go = filterSelector(context, &record, filterSelectorPrepare) == 0 || goOn;
    if (go && (startWithDialogs(context, &record, steps) == 0 || goOn)) {
        continueLoop(context, &record, &session);
        if (o.forceContinue && !session.aborted && !anyRectNonEmpty(record)) {
            // As a host that sends Continue once whatever the rectangles say.
            traceLine("note forced continue with empty rectangles");
            filterSelector(context, &record, filterSelectorContinue);
            continueLoop(context, &record, &session);
        }
        finishDelivery();
        filterSelector(context, &record, filterSelectorFinish);
    }
    finishDelivery();
    for (const std::string& leak : liveHandlesExcept(context->parameters)) {
        std::printf("note: handle %s is still allocated after the run\n", leak.c_str());
        traceLine("note leak %s", leak.c_str());
    }
    attachSession(nullptr);
    if (o.forgetParameters) {
        // As a host that keeps nothing of a filter between runs.
        traceLine("note parameters and data slot dropped (--forget-parameters)");
        disposeAnyHandle(context->parameters);
        context->parameters = nullptr;
        context->data = 0;
    }
}

bool caseIsSupported(const LoadedFilter& filter, int16 filterCase) {
    if (!filter.pipl.hasFilterCases) return true;
    const FilterCaseInfo& info = filter.pipl.filterCases[filterCase - 1];
    return info.inputHandling != filterDataHandlingCantFilter &&
           info.outputHandling != filterDataHandlingCantFilter;
}

}  // namespace

bool loadSourceImage(const HostOptions& o, const std::string& input, HostImage* image,
                     std::string* error) {
    int32 width = 0, height = 0;
    if (parsePatternText(input, &width, &height)) {
        drawTestPattern(width, height, o.planes, image);
        return true;
    }
    if (input.compare(0, 8, "pattern:") == 0) {
        *error = "bad pattern \"" + input + "\"; use pattern:WxH (1 to " +
                 std::to_string(kMaxImageSide) + " a side)";
        return false;
    }
    return loadImageFile(input, userPath(input), o.planes, image, error);
}

bool chooseFilterRect(const HostOptions& o, const HostImage& image, Rect* filterRect,
                      std::string* error) {
    const Rect whole = {0, 0, int16(image.height), int16(image.width)};
    *filterRect = o.hasRect ? o.rect : whole;
    // An empty selection (no rows or no columns) is a rectangle a host may hand
    // over; one turned inside out or reaching outside the image is not.
    const bool turnedOver =
        filterRect->bottom < filterRect->top || filterRect->right < filterRect->left;
    if (turnedOver || !rectInside(*filterRect, whole)) {
        *error = "--rect " + rectText(o.rect) + " is not a rectangle inside the image " +
                 rectText(whole);
        return false;
    }
    return true;
}

namespace {

// One picture of the command: its document, then the runs (the first picture
// gets the command's runs and dialog; every later one a repeat with the
// parameters the first left), then its result. False when it could not be read
// or written; a failing selector shows in context->anyFailure.
bool filterPicture(RunContext* context, const Picture& picture, bool first,
                   const std::string& steps) {
    const HostOptions& o = *context->options;
    std::string error;
    if (!loadSourceImage(o, picture.input, &context->source, &error) ||
        !chooseFilterRect(o, context->source, &context->filterRect, &error)) {
        reportHostError(error);
        return false;
    }
    context->hasMask = o.mask || o.floating;
    if (context->hasMask) {
        context->mask =
            makeEllipseMask(context->source.width, context->source.height, context->filterRect);
    }
    startProgressBar(picture.shownName);
    if (first) {
        int number = 1;
        for (RunKind kind : o.runs) {
            runOnce(context, kind, number, number == 1 ? steps : std::string());
            ++number;
        }
    } else {
        runOnce(context, RunKind::Repeat, 1, std::string());
    }
    if (!picture.output.empty() && !saveImageFile(picture.output, userPath(picture.output),
                                                  context->target, o.jpegQuality, &error)) {
        endProgressBar(picture.shownName + ": not written");
        reportHostError(error);
        return false;
    }
    endProgressBar(picture.shownName +
                   (picture.output.empty() ? "" : " -> " + userPath(picture.output)));
    return true;
}

}  // namespace

int runFilterCommand(const HostOptions& o) {
    RunContext context;
    context.options = &o;
    std::string error;
    if (!o.tracePath.empty() && !openTrace(o.tracePath)) {
        return reportHostError("cannot create trace file " + userPath(o.tracePath));
    }
    std::vector<Picture> pictures;
    if (!listPictures(o, &pictures, &error)) return reportHostError(error);
    std::string steps;
    if (!loadDialogSteps(o, &steps, &error)) return reportHostError(error);

    if (o.onlyWidth != 0 && kHostIsArm64) {
        return reportHostError(
            "this host runs only " + std::to_string(o.onlyWidth) +
            "-bit plug-ins for x86 processors; it has no ARM64 version to load " +
            userPath(o.modulePath));
    }
    if (o.onlyWidth != 0 && o.onlyWidth != kHostWidthBits) {
        return reportHostError("this host runs only " + std::to_string(o.onlyWidth) +
                               "-bit plug-ins; it has no " + std::to_string(kHostWidthBits) +
                               "-bit version to load " + userPath(o.modulePath));
    }
    configureHandleProcs(o.handleProcs);
    setRefuseEmptyHandles(o.refuseEmptyHandles);
    if (!o.paramsPath.empty()) {
        std::vector<uint8> bytes;
        bool exists = false;
        if (!readParamsFile(o.paramsPath, &bytes, &exists)) {
            return reportHostError("cannot read " + userPath(o.paramsPath));
        }
        if (exists) context.parameters = makeHandleWithBytes(o.handleProcs, bytes);
    }

    LoadedFilter filter;
    if (!loadFilterForRun(o, &filter, &error)) return reportHostError(error);
    context.filter = &filter;
    const int16 filterCase = filterCaseFor(o);
    if (!caseIsSupported(filter, filterCase)) {
        return reportHostError("the module cannot filter case " + std::to_string(filterCase) +
                               " (" + filterCaseName(filterCase) + ")");
    }

    // Several pictures share one module load and one set of settings; a picture
    // that cannot be read or written is reported by name, and the rest go on.
    enableProgressBar(o.showProgress);
    bool anyPictureFailed = false;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (!filterPicture(&context, pictures[i], i == 0, steps)) anyPictureFailed = true;
    }

    int status = context.anyFailure ? kExitSelectorFailed : kExitSuccess;
    if (anyPictureFailed) status = kExitHostError;
    if (!o.paramsPath.empty() && !saveParamsFile(o.paramsPath, context.parameters, &error)) {
        status = reportHostError(error);
    }
    disposeAnyHandle(context.parameters);
    if (!o.dumpDisplayPath.empty() && !saveLastDisplay(o.dumpDisplayPath, &error)) {
        status = reportHostError(error);
    }
    closeTrace();
    return status;
}
