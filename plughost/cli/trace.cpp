#include "plughost/cli/trace.h"

#include <cstdarg>
#include <cstdio>

namespace {

FILE* traceFile = nullptr;

}  // namespace

bool openTrace(const std::string& path) {
    closeTrace();
    traceFile = std::fopen(path.c_str(), "w");
    return traceFile != nullptr;
}

void closeTrace() {
    if (traceFile == nullptr) return;
    std::fclose(traceFile);
    traceFile = nullptr;
}

void traceLine(const char* format, ...) {
    if (traceFile == nullptr) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(traceFile, format, arguments);
    va_end(arguments);
    std::fputc('\n', traceFile);
    std::fflush(traceFile);
}
