// Collects the medians of one benchmark run and prints, at its end, the figures side
// by side: megapixels per second of each kernel and of OpenCV's box filter per radius,
// their ratios to OpenCV, and the preview render times.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

// Benchmark names that the summary looks up.
std::string effectBenchmarkName(const char* kernel, int radius);
std::string boxFilterBenchmarkName(int radius);
std::string referenceBenchmarkName(int radius);

// A console reporter that also remembers every median (or single run) it prints.
class SpeedSummaryReporter : public benchmark::ConsoleReporter {
   public:
    void ReportRuns(const std::vector<Run>& runs) override;
};

// Prints the table for the given radii and the preview figures.
void printSpeedSummary(const int* radii, int radiusCount, const char* vectorLevel);
