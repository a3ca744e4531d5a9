// About: the module's About box, owned by a real, visible host window whose
// client origin and outer rectangle (screen coordinates) are printed so a test
// can check where the box went. --runs N opens it N times in one process.

#include "plughost/commands/about_command.h"

#include <windows.h>

#include <cstdio>

#include "plughost/cli/host_exit.h"
#include "plughost/cli/trace.h"
#include "plughost/dialog/script_arming.h"
#include "plughost/module/module_session.h"
#include "sdk/host_constants.h"

int aboutCommand(const HostOptions& o) {
    std::string error;
    if (!o.tracePath.empty() && !openTrace(o.tracePath)) {
        return reportHostError("cannot create trace file " + o.tracePath);
    }
    std::string steps;
    if (!loadDialogSteps(o, &steps, &error)) return reportHostError(error);
    LoadedFilter filter;
    if (!loadFilterForRun(o, &filter, &error)) return reportHostError(error);

    POINT origin = {0, 0};
    ClientToScreen(filter.window, &origin);
    RECT client = {};
    GetClientRect(filter.window, &client);
    RECT outer = {};
    GetWindowRect(filter.window, &outer);
    std::printf("host window: client origin %ld,%ld size %ldx%ld\n", long(origin.x), long(origin.y),
                long(client.right), long(client.bottom));
    std::printf("host window: outer rect %ld,%ld,%ld,%ld (left,top,right,bottom)\n",
                long(outer.left), long(outer.top), long(outer.right), long(outer.bottom));

    PlatformData platform = {o.hwnd ? reinterpret_cast<intptr_t>(filter.window) : 0};
    AboutRecord about = {};
    about.platformData = o.platformData ? &platform : nullptr;
    intptr_t data = 0;
    int status = kExitSuccess;
    // --runs N opens and closes the box N times in this one process; the
    // script runs once per opening.
    for (int32 opening = 1; opening <= o.aboutRuns; ++opening) {
        if (o.aboutRuns > 1) {
            std::printf("about: %d\n", int(opening));
            traceLine("about %d", int(opening));
        }
        if (!armDialogSteps(steps, o.timeoutMs, &error)) {
            closeTrace();
            return reportHostError(error);
        }
        const int16 result = callSelector(filter, o, filterSelectorAbout, &about, &data);
        if (result != 0) {
            noteFailure(selectorFailure(filterSelectorAbout, result));
            status = kExitSelectorFailed;
        }
        if (!disarmDialogSteps(&error)) {
            std::printf("dialog: %s\n", error.c_str());
            traceLine("note dialog: %s", error.c_str());
            noteCause("dialog: " + error);
            status = kExitSelectorFailed;
        }
    }
    closeTrace();
    return status;
}
