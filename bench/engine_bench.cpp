// engine_bench: megapixels per second of the complete effect with the optimised and
// the plain kernel, of the slow reference, and of cv::boxFilter (box mean only, one
// thread) for the same radii; and the time of one preview render. Ends with a table
// of the medians and their ratios to OpenCV.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_images.h"
#include "bench/bench_pass.h"
#include "bench/bench_workload.h"
#include "bench/reference_effect.h"
#include "bench/speed_summary.h"
#include "engine/effect_tables.h"
#include "strips/module_effect.h"

#if LUMIVEIL_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using namespace workload;
constexpr double kMega = 1e6;
constexpr int kRadiusCount = 3;
// The reduction that a 4000 x 3000 selection gets in the preview.
constexpr int32 kLargeImageFactor = 13;

const BenchImage& passImage() {
    static const BenchImage image = makeBenchImage(kPassWidth, kPassHeight, kRgb, kImageSeed);
    return image;
}

int radiusOf(int32 radiation, int32 rate) {
    return int(radiusForRate(radiation, rate * kFixedOne));
}

void countMegapixels(benchmark::State& state, double pixelsPerIteration) {
    state.counters["MP/s"] = benchmark::Counter(
        pixelsPerIteration * double(state.iterations()) / kMega, benchmark::Counter::kIsRate);
}

struct KernelVariant {
    const char* name;
    KernelChoice choice;
    VectorLevel level;
};

const KernelVariant kVariants[] = {
    {"optimised", KernelChoice::optimised, VectorLevel::widest},
    {"optimised-avx2", KernelChoice::optimised, VectorLevel::avx2},
    {"optimised-sse2", KernelChoice::optimised, VectorLevel::baseline},
    {"plain", KernelChoice::plain, VectorLevel::widest},
};

void benchmarkEffect(benchmark::State& state, KernelVariant variant, int32 radiation) {
    chooseKernel(variant.choice);
    limitVectorLevel(variant.level);
    PassRig rig;
    setUpPass(rig, passImage(), BenchSettings{radiation, kAmount, kMist}, 1);
    for (auto _ : state) {
        runPass(rig, kStripHeight);
        benchmark::DoNotOptimize(rig.output.data());
        benchmark::ClobberMemory();
    }
    tearDownPass(rig);
    chooseKernel(KernelChoice::optimised);
    limitVectorLevel(VectorLevel::widest);
    countMegapixels(state, double(kPassWidth) * kPassHeight);
}

// The reference costs (2r + 1)^2 per pixel, so it runs on a smaller image.
void benchmarkReference(benchmark::State& state, int32 radiation) {
    int radius = radiusOf(radiation, 1);
    int32 width = radius <= 1 ? 400 : (radius <= 49 ? 60 : 30);
    int32 height = width * 3 / 4;
    BenchImage image = makeBenchImage(width, height, kRgb, kImageSeed);
    EffectTables tables;
    deriveEffectTables(radiation, kAmount, kMist, kFixedOne, &tables);
    std::vector<uint8> out;
    for (auto _ : state) {
        referenceEffect(image, tables, out);
        benchmark::DoNotOptimize(out.data());
    }
    countMegapixels(state, double(width) * height);
}

// One render of the dialog's preview: prepareEffect and one strip over the frame.
void benchmarkPreview(benchmark::State& state, int32 width, int32 height, int32 rate) {
    PassRig rig;
    setUpPass(rig, makeBenchImage(width, height, kRgb, kImageSeed),
              BenchSettings{100, kAmount, kMist}, rate);
    for (auto _ : state) {
        runPass(rig, height);
        benchmark::DoNotOptimize(rig.output.data());
    }
    tearDownPass(rig);
    countMegapixels(state, double(width) * height);
}

#if LUMIVEIL_BENCH_OPENCV
void benchmarkBoxFilter(benchmark::State& state, int radius) {
    cv::setNumThreads(1);
    const BenchImage& image = passImage();
    cv::Mat source(image.height, image.width, CV_8UC3, const_cast<uint8*>(image.pixels.data()));
    cv::Mat target(image.height, image.width, CV_8UC3);
    cv::Size box(2 * radius + 1, 2 * radius + 1);
    for (auto _ : state) {
        cv::boxFilter(source, target, -1, box, cv::Point(-1, -1), true, cv::BORDER_REPLICATE);
        benchmark::DoNotOptimize(target.data);
        benchmark::ClobberMemory();
    }
    countMegapixels(state, double(image.width) * image.height);
}
#endif

void registerBenchmarks(int* radii) {
    for (int index = 0; index < kRadiusCount; ++index) {
        int32 radiation = kRadiations[index];
        int radius = radiusOf(radiation, 1);
        radii[index] = radius;
        for (const KernelVariant& variant : kVariants) {
            benchmark::RegisterBenchmark(effectBenchmarkName(variant.name, radius).c_str(),
                                         benchmarkEffect, variant, radiation)
                ->Unit(benchmark::kMillisecond);
        }
#if LUMIVEIL_BENCH_OPENCV
        benchmark::RegisterBenchmark(boxFilterBenchmarkName(radius).c_str(), benchmarkBoxFilter,
                                     radius)
            ->Unit(benchmark::kMillisecond);
#endif
        benchmark::RegisterBenchmark(referenceBenchmarkName(radius).c_str(), benchmarkReference,
                                     radiation)
            ->Unit(benchmark::kMillisecond);
    }
    std::string frame = std::to_string(kFrameWidth) + "x" + std::to_string(kFrameHeight);
    benchmark::RegisterBenchmark(
        ("PreviewRender/frame" + frame + "/factor:1/radius:" + std::to_string(radiusOf(100, 1)))
            .c_str(),
        benchmarkPreview, kFrameWidth, kFrameHeight, 1)
        ->Unit(benchmark::kMillisecond);
    int32 reducedWidth = (kPassWidth + kLargeImageFactor - 1) / kLargeImageFactor;
    int32 reducedHeight = (kPassHeight + kLargeImageFactor - 1) / kLargeImageFactor;
    benchmark::RegisterBenchmark(
        ("PreviewRender/4000x3000/factor:" + std::to_string(kLargeImageFactor) +
         "/radius:" + std::to_string(radiusOf(100, kLargeImageFactor)))
            .c_str(),
        benchmarkPreview, reducedWidth, reducedHeight, kLargeImageFactor)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    // Repetitions interleaved at random, so that a busy machine slows every variant
    // alike; the summary uses the medians. Flags on the command line override these.
    std::vector<char*> arguments(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    arguments.insert(arguments.begin() + 1, {repetitions, interleave, aggregates});
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;

    int radii[kRadiusCount];
    registerBenchmarks(radii);
    SpeedSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSpeedSummary(radii, kRadiusCount, vectorLevelName());
    benchmark::Shutdown();
    return 0;
}
