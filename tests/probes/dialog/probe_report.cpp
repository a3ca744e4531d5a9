#include "probe_report.h"

#include <windows.h>

#include <cstdio>

namespace {
const char kReportVariable[] = "PROBE_DIALOG_REPORT";
}

void reportLine(const std::string& key, const std::string& value) {
    std::string line = key + "=" + value + "\n";
    char path[MAX_PATH] = "";
    if (!GetEnvironmentVariableA(kReportVariable, path, sizeof path)) {
        OutputDebugStringA(line.c_str());
        return;
    }
    FILE* report = std::fopen(path, "ab");
    if (!report) return;
    std::fputs(line.c_str(), report);
    std::fclose(report);
}
