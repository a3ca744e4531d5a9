#include "probe_settings.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

constexpr DWORD kSettingsSize = 4096;
constexpr double kFixedScale = 65536.0;

bool parseRect(const std::string& text, Rect* rect) {
    int t = 0, l = 0, b = 0, r = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d", &t, &l, &b, &r) != 4) return false;
    *rect = Rect{int16(t), int16(l), int16(b), int16(r)};
    return true;
}

Fixed parseRate(const std::string& text) {
    return Fixed(std::strtod(text.c_str(), nullptr) * kFixedScale + 0.5);
}

// The alternative of "a|b|c" for run `runIndex`.
std::string alternative(const std::string& value, int runIndex) {
    size_t start = 0;
    for (int i = 0; i < runIndex; ++i) {
        const size_t bar = value.find('|', start);
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    const size_t end = value.find('|', start);
    return value.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

ProbeSettings readProbeSettings(int runIndex) {
    ProbeSettings s;
    char text[kSettingsSize] = "";
    if (GetEnvironmentVariableA("PROBE", text, kSettingsSize) == 0) return s;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = word.substr(0, equals);
        const std::string value = alternative(word.substr(equals + 1), runIndex);
        const int number = std::atoi(value.c_str());
        if (key == "mode")
            s.mode = value;
        else if (key == "strip")
            s.strip = number > 0 ? number : 1;
        else if (key == "margin")
            s.margin = number;
        else if (key == "rate")
            s.rate = parseRate(value);
        else if (key == "maskrate")
            s.maskRate = parseRate(value);
        else if (key == "inpad")
            s.setInPad = true, s.inPad = int16(number);
        else if (key == "outpad")
            s.setOutPad = true, s.outPad = int16(number);
        else if (key == "maskpad")
            s.setMaskPad = true, s.maskPad = int16(number);
        else if (key == "planes") {
            int lo = 0, hi = 0;
            if (std::sscanf(value.c_str(), "%d-%d", &lo, &hi) == 2) {
                s.setPlanes = true;
                s.loPlane = int16(lo);
                s.hiPlane = int16(hi);
            }
        } else if (key == "in")
            parseRect(value, &s.in);
        else if (key == "out")
            parseRect(value, &s.out);
        else if (key == "mask")
            s.hasMask = parseRect(value, &s.mask);
        else if (key == "dump")
            s.dumpPath = value;
        else if (key == "code")
            s.code = number;
    }
    return s;
}
