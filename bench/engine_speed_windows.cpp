// engine_speed_windows: the engine's speed as the Windows module runs it, built with
// mingw-w64 for i686 or x86_64 (or clang for ARM64) in the modules' build folders and run under Wine by
// tools/run-bench.sh (Google Benchmark is not available there). Prints megapixels
// per second of a full pass over 4000 x 3000 RGB for each kernel at radius 1, 49 and
// 96, and the time of the largest preview render; each figure is the best of several
// timed runs, in CPU time of this thread, so that other load on the machine counts
// as little as possible. Not timed tests: nothing here passes or fails.
#include <windows.h>

#include <cstdio>

#include "bench/bench_images.h"
#include "bench/bench_pass.h"
#include "bench/bench_workload.h"
#include "engine/effect_tables.h"
#include "strips/module_effect.h"

namespace {

using namespace workload;
constexpr int kTimedRuns = 5;
// The thread clock ticks coarsely (every 10 to 16 ms), so each timed run lasts long
// enough for a tick to be noise.
constexpr double kSecondsPerTimedRun = 0.6;
constexpr double kHundredNanosecondsPerSecond = 1e7;

double threadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER total;
    total.LowPart = user.dwLowDateTime;
    total.HighPart = user.dwHighDateTime;
    return double(total.QuadPart) / kHundredNanosecondsPerSecond;
}

// Best seconds per pass over several timed runs, each of as many passes as fit.
double bestPassSeconds(PassRig& rig, int32 stripHeight) {
    runPass(rig, stripHeight);
    double best = 1e30;
    for (int run = 0; run < kTimedRuns; ++run) {
        double start = threadSeconds();
        double elapsed = 0;
        int passes = 0;
        do {
            runPass(rig, stripHeight);
            ++passes;
            elapsed = threadSeconds() - start;
        } while (elapsed < kSecondsPerTimedRun);
        if (elapsed / passes < best) best = elapsed / passes;
    }
    return best;
}

struct Variant {
    const char* name;
    KernelChoice choice;
    VectorLevel level;
};

const Variant kVariants[] = {
    {"optimised", KernelChoice::optimised, VectorLevel::widest},
#if defined(__x86_64__) || defined(__i386__)  // ARM64 has NEON at every level
    {"optimised AVX2", KernelChoice::optimised, VectorLevel::avx2},
    {"optimised SSE2", KernelChoice::optimised, VectorLevel::baseline},
#endif
    {"plain", KernelChoice::plain, VectorLevel::widest},
};

}  // namespace

int main() {
    std::printf("engine_speed_windows (%d-bit): 4000 x 3000 RGB, one thread, best of %d runs\n",
                int(sizeof(void*) * 8), kTimedRuns);
    limitVectorLevel(VectorLevel::widest);
    std::printf("widest vectors on this processor: %s\n\n", vectorLevelName());
    BenchImage image = makeBenchImage(kPassWidth, kPassHeight, kRgb, kImageSeed);
    std::printf("%-16s", "kernel");
    for (int32 radiation : kRadiations) {
        std::printf("  radius %-3u", radiusForRate(radiation, kFixedOne));
    }
    std::printf("\n");
    for (const Variant& variant : kVariants) {
        chooseKernel(variant.choice);
        limitVectorLevel(variant.level);
        std::printf("%-16s", variant.name);
        for (int32 radiation : kRadiations) {
            PassRig rig;
            setUpPass(rig, image, BenchSettings{radiation, kAmount, kMist}, 1);
            double seconds = bestPassSeconds(rig, kStripHeight);
            tearDownPass(rig);
            std::printf("  %5.0f MP/s", double(kPassWidth) * kPassHeight / seconds / 1e6);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    chooseKernel(KernelChoice::optimised);
    limitVectorLevel(VectorLevel::widest);
    PassRig preview;
    setUpPass(preview, makeBenchImage(kFrameWidth, kFrameHeight, kRgb, kImageSeed),
              BenchSettings{100, kAmount, kMist}, 1);
    double seconds = bestPassSeconds(preview, kFrameHeight);
    tearDownPass(preview);
    std::printf("\npreview render %dx%d at radius 96: %.3f ms\n", kFrameWidth, kFrameHeight,
                seconds * 1e3);
    return 0;
}
