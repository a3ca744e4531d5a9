#include "bench/speed_summary.h"

#include <cstdio>
#include <map>

namespace {

struct Measured {
    double megapixelsPerSecond = 0;
    double milliseconds = 0;
};

std::map<std::string, Measured>& measurements() {
    static std::map<std::string, Measured> all;
    return all;
}

constexpr double kMillisecondsPerSecond = 1e3;

const Measured* find(const std::string& name) {
    auto found = measurements().find(name);
    return found == measurements().end() ? nullptr : &found->second;
}

void printRate(const Measured* measured) {
    if (measured == nullptr) {
        std::printf("  %12s", "-");
    } else {
        std::printf("  %7.1f MP/s", measured->megapixelsPerSecond);
    }
}

void printRatio(const Measured* measured, const Measured* opencv) {
    if (measured == nullptr || opencv == nullptr || opencv->megapixelsPerSecond <= 0) {
        std::printf("  %9s", "-");
    } else {
        std::printf("  %8.2fx", measured->megapixelsPerSecond / opencv->megapixelsPerSecond);
    }
}

}  // namespace

std::string effectBenchmarkName(const char* kernel, int radius) {
    return std::string("Effect/") + kernel + "/radius:" + std::to_string(radius);
}

std::string boxFilterBenchmarkName(int radius) {
    return "OpenCV_boxFilter/radius:" + std::to_string(radius);
}

std::string referenceBenchmarkName(int radius) {
    return "SlowReference/radius:" + std::to_string(radius);
}

void SpeedSummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (!single && !median) continue;
        Measured measured;
        auto rate = run.counters.find("MP/s");
        if (rate != run.counters.end()) measured.megapixelsPerSecond = rate->second.value;
        // adjusted times are per iteration, in the run's unit (units per second given)
        measured.milliseconds = run.GetAdjustedCPUTime() /
                                benchmark::GetTimeUnitMultiplier(run.time_unit) *
                                kMillisecondsPerSecond;
        measurements()[run.run_name.str()] = measured;
    }
    ConsoleReporter::ReportRuns(runs);
}

void printSpeedSummary(const int* radii, int radiusCount, const char* vectorLevel) {
    std::printf(
        "\nComplete effect (mean, blend, tone) against cv::boxFilter (box mean only),\n"
        "one thread, 4000 x 3000 RGB, medians (CPU time); optimised kernel uses %s\n\n",
        vectorLevel);
    std::printf("%6s  %12s  %12s  %12s  %12s  %12s  %9s  %9s  %9s  %9s\n", "radius", "optimised",
                "optim. AVX2", "optim. SSE2", "plain", "boxFilter", "opt/cv", "avx2/cv", "sse2/cv",
                "plain/cv");
    for (int index = 0; index < radiusCount; ++index) {
        int radius = radii[index];
        const Measured* optimised = find(effectBenchmarkName("optimised", radius));
        const Measured* avx2 = find(effectBenchmarkName("optimised-avx2", radius));
        const Measured* baseline = find(effectBenchmarkName("optimised-sse2", radius));
        const Measured* plain = find(effectBenchmarkName("plain", radius));
        const Measured* opencv = find(boxFilterBenchmarkName(radius));
        std::printf("%6d", radius);
        printRate(optimised);
        printRate(avx2);
        printRate(baseline);
        printRate(plain);
        printRate(opencv);
        printRatio(optimised, opencv);
        printRatio(avx2, opencv);
        printRatio(baseline, opencv);
        printRatio(plain, opencv);
        std::printf("\n");
    }
    std::printf("\nSlow reference (direct box sums, smaller images):");
    for (int index = 0; index < radiusCount; ++index) {
        const Measured* reference = find(referenceBenchmarkName(radii[index]));
        if (reference != nullptr) {
            std::printf("  radius %d: %.3f MP/s", radii[index], reference->megapixelsPerSecond);
        }
    }
    std::printf("\n\nPreview renders (prepareEffect + processStrip of the whole frame):\n");
    for (const auto& entry : measurements()) {
        if (entry.first.rfind("PreviewRender/", 0) == 0) {
            std::printf("  %-48s %8.3f ms\n", entry.first.c_str(), entry.second.milliseconds);
        }
    }
}
