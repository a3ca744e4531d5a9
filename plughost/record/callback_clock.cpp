#include "plughost/record/callback_clock.h"

#include <chrono>

namespace {

int depth = 0;
double startedAt = 0;
double total = 0;

}  // namespace

double nowMilliseconds() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

CallbackClock::CallbackClock() {
    if (depth++ == 0) startedAt = nowMilliseconds();
}

CallbackClock::~CallbackClock() {
    if (--depth == 0) total += nowMilliseconds() - startedAt;
}

double callbackMilliseconds() { return total; }

void resetCallbackClock() { total = 0; }
