// Time spent in the host's callbacks, for --time: a CallbackClock on the
// stack of every callback adds its lifetime to a running total. Nested clocks
// (a callback the host calls from another) count once. Windows-free.
#pragma once

struct CallbackClock {
    CallbackClock();
    ~CallbackClock();
    CallbackClock(const CallbackClock&) = delete;
    CallbackClock& operator=(const CallbackClock&) = delete;
};

// Milliseconds counted since the last reset.
double callbackMilliseconds();
void resetCallbackClock();

// Milliseconds on a steady clock, for timing the module's calls.
double nowMilliseconds();
