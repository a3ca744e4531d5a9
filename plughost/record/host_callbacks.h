// The host's callbacks in the filter record (abortProc, progressProc,
// advanceState, processEvent) and the delivery of data that the host does on
// its own before each Continue. They act on the one filter run in progress,
// which the run attaches here.
#pragma once

#include "plughost/cli/host_options.h"
#include "plughost/record/delivery.h"
#include "sdk/filter_record.h"

struct HostSession {
    const HostOptions* options = nullptr;
    FilterRecord* record = nullptr;
    HostDocument document;
    DeliveryPolicy policy;
    DeliveryState delivery;
    int32 abortCalls = 0;    // this run's abortProc calls
    int32 advanceCalls = 0;  // this run's advanceState calls
    bool aborted = false;    // abortProc has answered true
};

// The run the callbacks serve; null detaches.
void attachSession(HostSession* session);

extern "C" Boolean hostAbortProc(void);
extern "C" void hostProgressProc(int32 done, int32 total);
extern "C" OSErr hostAdvanceState(void);
extern "C" void hostProcessEvent(void* event);

// What the host does before a Continue call: write back, then deliver the
// record's rectangles. Traced as "deliver ...". Returns 0 or the error.
int16 deliverBeforeContinue();

// Checks every buffer and handle the module holds; a broken fence or a write
// into the input ends the run (kExitViolation). `when` goes into the message.
void checkModuleBuffers(const char* when);

// After the last selector of a run: writes back pending output and frees the buffers.
void finishDelivery();
