#include "plughost/host_exit.h"

#include <windows.h>

#include <cstdio>

#include "plughost/trace.h"

int reportHostError(const std::string& message) {
    // Once, on standard error: a terminal shows both streams.
    std::fprintf(stderr, "plughost: %s\n", message.c_str());
    return kExitHostError;
}

void writeStdout(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}

void endRunNow(int status, const std::string& line) {
    std::fflush(stdout);
    writeStdout(line + "\n");
    // The trace spells "crash: code=..." as "crash code=...".
    std::string traced = line;
    const size_t colon = traced.find(": ");
    if (colon != std::string::npos && traced.find(' ') > colon) traced.erase(colon, 1);
    traceLine("%s", traced.c_str());
    closeTrace();
    TerminateProcess(GetCurrentProcess(), UINT(status));
    ExitProcess(UINT(status));  // not reached: TerminateProcess does not return for our own process
}
