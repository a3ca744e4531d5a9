#include "plughost/cli/host_exit.h"

#include <windows.h>

#include <cstdio>

#include "plughost/cli/trace.h"

namespace {

std::string firstFailure;
bool explained = false;

// tools/plughost names a file here ($LUMIVEIL_SAID_FILE) to learn what plughost
// told the user: "said" once it has said why it fails, "finished N" once its
// command is over and N is its status. A silent non-zero end is then the
// wrapper's to name, and a crash of Wine's own teardown after "finished" is not
// taken for plughost's.
void noteForWrapper(const std::string& line) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("LUMIVEIL_SAID_FILE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

void markSaid() { noteForWrapper("said"); }

void sayOnStderr(const std::string& message) {
    std::fprintf(stderr, "plughost: %s\n", message.c_str());
    std::fflush(stderr);
    explained = true;
    markSaid();
}

}  // namespace

int reportHostError(const std::string& message) {
    // Once, on standard error: a terminal shows both streams.
    sayOnStderr(message);
    return kExitHostError;
}

void sayFailure(const std::string& message) { sayOnStderr(message); }

void noteFailure(const std::string& reason) {
    if (firstFailure.empty()) firstFailure = reason;
}

void noteCause(const std::string& reason) { firstFailure = reason; }

int explainExit(int status) {
    if (status != kExitSuccess && !explained) {
        sayOnStderr(firstFailure.empty() ? "failed with status " + std::to_string(status)
                                         : firstFailure);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    noteForWrapper("finished " + std::to_string(status));
    return status;
}

void writeStdout(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}

void endRunNow(int status, const std::string& line) {
    std::fflush(stdout);
    writeStdout(line + "\n");
    // The same line on stderr, straight to the handle: stdio may be mid-call on
    // another thread when a crash or a watchdog ends the run.
    const std::string said = "plughost: " + line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), said.data(), DWORD(said.size()), &written, nullptr);
    markSaid();
    // The trace spells "crash: code=..." as "crash code=...".
    std::string traced = line;
    const size_t colon = traced.find(": ");
    if (colon != std::string::npos && traced.find(' ') > colon) traced.erase(colon, 1);
    traceLine("%s", traced.c_str());
    closeTrace();
    // Wine's teardown of a process ended from inside an exception handler
    // can itself fault; the wrapper then keeps the status decided here.
    noteForWrapper("finished " + std::to_string(status));
    TerminateProcess(GetCurrentProcess(), UINT(status));
    ExitProcess(UINT(status));  // not reached: TerminateProcess does not return for our own process
}
