// plughost call MODULE SELECTOR: one entry call with a record as a run fills it
// (image, selection, callbacks, handles), then what the module changed:
//
//   result: SELECTOR CODE
//   record: unchanged | record: changed bytes OFFSET...
//   data: unchanged | data: changed 0xBEFORE -> 0xAFTER
//
// A module must leave both alone for a selector it does not know.

#include "plughost/commands/call_command.h"

#include <cstdio>
#include <vector>

#include "plughost/cli/host_exit.h"
#include "plughost/cli/trace.h"
#include "plughost/commands/filter_run.h"
#include "plughost/module/module_session.h"
#include "plughost/record/host_callbacks.h"
#include "plughost/record/host_handles.h"
#include "plughost/record/host_record.h"

namespace {

std::vector<uint8> bytesOf(const FilterRecord& record) {
    const uint8* first = reinterpret_cast<const uint8*>(&record);
    return std::vector<uint8>(first, first + sizeof record);
}

void reportChanges(const std::vector<uint8>& before, const FilterRecord& record,
                   intptr_t dataBefore, intptr_t dataAfter) {
    const std::vector<uint8> after = bytesOf(record);
    std::string offsets;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] != after[i]) offsets += " " + std::to_string(i);
    }
    std::printf("record: %s\n",
                offsets.empty() ? "unchanged" : ("changed bytes" + offsets).c_str());
    traceLine("record %s", offsets.empty() ? "unchanged" : ("changed" + offsets).c_str());
    if (dataBefore == dataAfter) {
        std::printf("data: unchanged\n");
    } else {
        std::printf("data: changed 0x%llX -> 0x%llX\n", static_cast<unsigned long long>(dataBefore),
                    static_cast<unsigned long long>(dataAfter));
    }
}

}  // namespace

int callCommand(const HostOptions& o) {
    std::string error;
    if (!o.tracePath.empty() && !openTrace(o.tracePath)) {
        return reportHostError("cannot create trace file " + o.tracePath);
    }
    HostImage source;
    Rect filterRect = {};
    if (!loadSourceImage(o, o.input, &source, &error)) return reportHostError(error);
    if (!chooseFilterRect(o, source, &filterRect, &error)) return reportHostError(error);
    HostImage target = source;
    const bool hasMask = o.mask || o.floating;
    HostMask mask;
    if (hasMask) mask = makeEllipseMask(source.width, source.height, filterRect);
    configureHandleProcs(o.handleProcs);

    LoadedFilter filter;
    if (!loadFilterForRun(o, &filter, &error)) return reportHostError(error);

    PlatformData platform = {o.hwnd ? reinterpret_cast<intptr_t>(filter.window) : 0};
    unsigned char errorString[kStr255Size] = {};
    RecordSource recordSource;
    recordSource.options = &o;
    recordSource.image = &source;
    recordSource.filterRect = filterRect;
    recordSource.hasMask = hasMask;
    recordSource.platform = &platform;
    recordSource.errorString = errorString;
    FilterRecord record;
    fillFilterRecord(recordSource, &record);

    // The callbacks work as in a run, so a known selector can be called too.
    HostSession session;
    session.options = &o;
    session.record = &record;
    session.document.source = &source;
    session.document.target = &target;
    session.document.mask = hasMask ? &mask : nullptr;
    session.document.filterRect = filterRect;
    session.policy.supportsPadding = o.supportsPadding;
    session.policy.samplingSupport = char(o.sampling);
    session.policy.verifyInput = o.verifyInput;
    attachSession(&session);

    const std::vector<uint8> before = bytesOf(record);
    const intptr_t dataBefore = 0;
    intptr_t data = dataBefore;
    const int16 result = callSelector(filter, o, int16(o.selector), &record, &data);
    checkModuleBuffers(("the end of selector " + selectorName(int16(o.selector))).c_str());
    reportChanges(before, record, dataBefore, data);
    finishDelivery();
    attachSession(nullptr);
    closeTrace();
    if (result == 0) return kExitSuccess;
    noteFailure(selectorFailure(int16(o.selector), result));
    return kExitSelectorFailed;
}
