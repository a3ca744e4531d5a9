#include "plughost/record/host_callbacks.h"

#include <string>

#include "plughost/cli/host_exit.h"
#include "plughost/cli/progress_bar.h"
#include "plughost/cli/trace.h"
#include "plughost/pictures/rect_utils.h"
#include "plughost/record/callback_clock.h"
#include "plughost/record/host_handles.h"

namespace {

HostSession* session = nullptr;

// The fields of an advance or deliver line, as the module asked.
std::string requestText(const FilterRecord& r) {
    char rates[64];
    std::snprintf(rates, sizeof rates, " inRate=0x%X maskRate=0x%X", unsigned(r.inputRate),
                  unsigned(r.maskRate));
    return "in=" + rectText(r.inRect) + " out=" + rectText(r.outRect) +
           " mask=" + rectText(r.maskRect) + " inPlanes=" + std::to_string(r.inLoPlane) + "-" +
           std::to_string(r.inHiPlane) + " outPlanes=" + std::to_string(r.outLoPlane) + "-" +
           std::to_string(r.outHiPlane) + " inPad=" + std::to_string(r.inputPadding) +
           " outPad=" + std::to_string(r.outputPadding) +
           " maskPad=" + std::to_string(r.maskPadding) + rates;
}

// Write back, then deliver (or fail on purpose); one trace line either way.
int16 serviceRequest(const char* verb, bool countsAsAdvance) {
    FilterRecord* record = session->record;
    checkModuleBuffers(verb);
    if (session->options->lastOutRectOnly) {
        // As a host that keeps only the last output rectangle: this one is lost.
        session->delivery.outPending = false;
    } else {
        writeBackOutput(&session->delivery, session->document, record->autoMask != 0);
    }
    const std::string asked = requestText(*record);
    if (countsAsAdvance) ++session->advanceCalls;
    const HostOptions& options = *session->options;
    if (countsAsAdvance && options.failAdvanceCall == session->advanceCalls) {
        releaseDelivered(&session->delivery, record);
        traceLine("note %s: call %d fails on purpose (--fail-advance)", verb,
                  int(session->advanceCalls));
        traceLine("%s %s -> %d", verb, asked.c_str(), int(options.failAdvanceCode));
        return int16(options.failAdvanceCode);
    }
    DeliveryReport report;
    const int16 result =
        deliverBuffers(record, &session->delivery, session->document, session->policy, &report);
    if (result != 0) traceLine("note %s: %s", verb, report.reason.c_str());
    const std::string delivered =
        report.inRectChanged ? " delivered=" + rectText(report.deliveredIn) : std::string();
    traceLine("%s %s%s -> %d", verb, asked.c_str(), delivered.c_str(), int(result));
    return result;
}

}  // namespace

void attachSession(HostSession* newSession) { session = newSession; }

extern "C" Boolean hostAbortProc(void) {
    CallbackClock clock;
    ++session->abortCalls;
    const int32 abortAt = session->options->abortAt;
    const bool abort = abortAt > 0 && session->abortCalls >= abortAt;
    if (abort) session->aborted = true;
    traceLine("abort -> %d", abort ? 1 : 0);
    return abort ? 1 : 0;
}

extern "C" void hostProgressProc(int32 done, int32 total) {
    CallbackClock clock;
    traceLine("progress %d %d", int(done), int(total));
    showProgress(done, total);
}

extern "C" OSErr hostAdvanceState(void) {
    CallbackClock clock;
    return serviceRequest("advance", true);
}

extern "C" void hostProcessEvent(void*) {
    CallbackClock clock;
    traceLine("processevent");
}

int16 deliverBeforeContinue() { return serviceRequest("deliver", false); }

void checkModuleBuffers(const char* when) {
    std::string fault;
    if (!checkDeliveredBuffers(session->delivery, &fault) || !checkHandleFences(&fault)) {
        endRunNow(kExitViolation, "fault: " + fault + " (found at " + when + ")");
    }
}

void finishDelivery() {
    if (session == nullptr) return;
    writeBackOutput(&session->delivery, session->document, session->record->autoMask != 0);
    releaseDelivered(&session->delivery, session->record);
}
