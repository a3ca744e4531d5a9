// Exceptions are caught two ways. A vectored handler sees a fault first, but it
// acts only on faults whose address lies inside the module's image, so the
// exceptions that Windows and the C++ runtime raise and handle themselves pass
// by. Every other fatal exception that nobody handles reaches the unhandled
// exception filter.

#include "plughost/module/crash_guard.h"

#include <windows.h>

#include <cstdio>

#include "plughost/cli/host_exit.h"

namespace {

constexpr DWORD kCodeCxxException = 0x20474343;  // raised by g++'s runtime, handled by it
constexpr size_t kMessageSize = 512;
constexpr size_t kActivitySize = 128;
constexpr ULONG_PTR kAccessWrite = 1;  // ExceptionInformation[0] of an access violation
constexpr ULONG_PTR kAccessExecute = 8;

uintptr_t moduleStart = 0;
uintptr_t moduleEnd = 0;
std::string moduleName;
// Read by the watchdog thread too, so a plain buffer rather than a std::string.
char activity[kActivitySize] = "starting";

HANDLE watchdogEvent = nullptr;
HANDLE watchdogThread = nullptr;
volatile LONG watchdogDeadlineMs = 0;  // 0: disarmed

bool isFatal(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_STACK_OVERFLOW:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_NONCONTINUABLE_EXCEPTION:
            return true;
        default:
            return false;
    }
}

const char* exceptionName(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
            return "access violation";
        case EXCEPTION_ILLEGAL_INSTRUCTION:
            return "illegal instruction";
        case EXCEPTION_PRIV_INSTRUCTION:
            return "privileged instruction";
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            return "integer division by zero";
        case EXCEPTION_INT_OVERFLOW:
            return "integer overflow";
        case EXCEPTION_STACK_OVERFLOW:
            return "stack overflow";
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
            return "array bounds exceeded";
        case EXCEPTION_DATATYPE_MISALIGNMENT:
            return "misaligned data";
        case EXCEPTION_IN_PAGE_ERROR:
            return "in-page error";
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
            return "floating-point division by zero";
        case EXCEPTION_FLT_INVALID_OPERATION:
            return "invalid floating-point operation";
        case kCodeCxxException:
            return "C++ exception";
        default:
            return "exception";
    }
}

// "ProbeFilter.8bf+0x1234" for the module holding `address`, or "unknown module".
std::string locate(uintptr_t address) {
    char text[kMessageSize];
    if (address >= moduleStart && address < moduleEnd) {
        std::snprintf(text, sizeof text, "%s+0x%llx", moduleName.c_str(),
                      static_cast<unsigned long long>(address - moduleStart));
        return text;
    }
    HMODULE owner = nullptr;
    if (GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(address), &owner)) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(owner, path, MAX_PATH);
        const char* base = path;
        for (const char* p = path; *p; ++p) {
            if (*p == '\\' || *p == '/') base = p + 1;
        }
        std::snprintf(
            text, sizeof text, "%s+0x%llx", base,
            static_cast<unsigned long long>(address - reinterpret_cast<uintptr_t>(owner)));
        return text;
    }
    return "unknown module";
}

[[noreturn]] void reportCrash(const EXCEPTION_RECORD* exception) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(exception->ExceptionAddress);
    char detail[kMessageSize] = "";
    if (exception->ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
        exception->NumberParameters >= 2) {
        const ULONG_PTR kind = exception->ExceptionInformation[0];
        std::snprintf(
            detail, sizeof detail, " %s 0x%llx",
            kind == kAccessWrite ? "writing" : (kind == kAccessExecute ? "executing" : "reading"),
            static_cast<unsigned long long>(exception->ExceptionInformation[1]));
    }
    char line[kMessageSize * 2];
    std::snprintf(line, sizeof line, "crash: code=0x%08lX address=0x%llx %s (%s%s) during %s",
                  static_cast<unsigned long>(exception->ExceptionCode),
                  static_cast<unsigned long long>(address), locate(address).c_str(),
                  exceptionName(exception->ExceptionCode), detail, activity);
    endRunNow(kExitCrash, line);
}

LONG CALLBACK vectoredHandler(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* exception = pointers->ExceptionRecord;
    const uintptr_t address = reinterpret_cast<uintptr_t>(exception->ExceptionAddress);
    if (isFatal(exception->ExceptionCode) && address >= moduleStart && address < moduleEnd) {
        reportCrash(exception);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI unhandledFilter(EXCEPTION_POINTERS* pointers) {
    reportCrash(pointers->ExceptionRecord);
}

DWORD WINAPI watchdogMain(LPVOID) {
    for (;;) {
        const LONG deadline = watchdogDeadlineMs;
        const DWORD wait = deadline == 0 ? INFINITE : DWORD(deadline);
        if (WaitForSingleObject(watchdogEvent, wait) == WAIT_TIMEOUT && watchdogDeadlineMs != 0) {
            char line[kMessageSize];
            std::snprintf(line, sizeof line,
                          "timeout: %s did not return within %ld ms; the host ends the run",
                          activity, static_cast<long>(watchdogDeadlineMs));
            endRunNow(kExitTimeout, line);
        }
    }
}

}  // namespace

void installCrashHandlers() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    AddVectoredExceptionHandler(1, vectoredHandler);
    SetUnhandledExceptionFilter(unhandledFilter);
}

void setCrashModule(void* moduleBase, const std::string& name) {
    moduleStart = reinterpret_cast<uintptr_t>(moduleBase);
    moduleEnd = moduleStart;
    moduleName = name;
    if (moduleBase == nullptr) return;
    const auto* dos = static_cast<const IMAGE_DOS_HEADER*>(moduleBase);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        static_cast<const char*>(moduleBase) + dos->e_lfanew);
    moduleEnd = moduleStart + nt->OptionalHeader.SizeOfImage;
}

void setHostActivity(const std::string& text) {
    std::snprintf(activity, sizeof activity, "%s", text.c_str());
}

void armWatchdog(int timeoutMs) {
    if (watchdogEvent == nullptr) {
        watchdogEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        watchdogThread = CreateThread(nullptr, 0, watchdogMain, nullptr, 0, nullptr);
    }
    watchdogDeadlineMs = timeoutMs;
    SetEvent(watchdogEvent);  // restart the wait with the new deadline
}

void disarmWatchdog() {
    if (watchdogEvent == nullptr) return;
    watchdogDeadlineMs = 0;
    SetEvent(watchdogEvent);
}
