// Many callers at once: different pictures with different settings, filtered on
// several threads at the same time, give exactly the bytes that each gives alone.
// Built a second time under ThreadSanitizer (tests/tsan), which reports any state
// that the callers share.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "engine/effect_engine.h"
#include "engine/region_walk.h"

namespace {

constexpr int32 kRounds = 2;  // each thread runs its job this often, back to back
// Output rows per call when a caller walks down the target itself, other than the
// region walk's 32, so that carried column sums meet other strip boundaries.
constexpr int32 kOwnStripHeight = 17;

struct Picture {
    int32 width;
    int32 height;
    int32 planes;
    std::vector<uint8> bytes;
};

struct Job {
    Picture picture;
    PixelArea target;
    int32 radiation;
    int32 amount;
    int32 mist;
    bool ownWalk;  // false: the region walk; true: filterPixels strip by strip, plain kernel
};

Picture randomPicture(uint32 seed, int32 width, int32 height, int32 planes) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Picture picture{width, height, planes, {}};
    picture.bytes.resize(size_t(width) * size_t(height) * size_t(planes));
    for (uint8& value : picture.bytes) value = uint8(byte(random));
    return picture;
}

struct WalkContext {
    const Picture* picture;
    std::vector<uint8>* result;  // target rows, target.width * planes bytes each
    PixelArea target;
};

bool readPicture(void* context, const PixelArea& area, PixelRows rows) {
    const WalkContext& walk = *static_cast<const WalkContext*>(context);
    const Picture& picture = *walk.picture;
    for (int32 y = 0; y < area.height; ++y) {
        const uint8* from =
            &picture.bytes[(size_t(area.top + y) * picture.width + area.left) * picture.planes];
        std::memcpy(rows.data + size_t(y) * rows.rowBytes, from,
                    size_t(area.width) * picture.planes);
    }
    return true;
}

bool writeResult(void* context, const PixelArea& strip, PixelRows rows) {
    const WalkContext& walk = *static_cast<const WalkContext*>(context);
    size_t rowLength = size_t(walk.target.width) * size_t(walk.picture->planes);
    for (int32 y = 0; y < strip.height; ++y) {
        std::memcpy(walk.result->data() + size_t(strip.top - walk.target.top + y) * rowLength,
                    rows.data + size_t(y) * rows.rowBytes, rowLength);
    }
    return true;
}

std::vector<uint8> byRegionWalk(const Job& job) {
    std::vector<uint8> result(size_t(job.target.width) * job.target.height * job.picture.planes);
    WalkContext context{&job.picture, &result, job.target};
    RegionJob region{
        job.radiation, job.amount,         job.mist, job.picture.width, job.picture.height,
        job.target,    job.picture.planes, &context, readPicture,       writeResult,
        nullptr};
    EXPECT_EQ(filterRegion(region), RegionResult::done);
    return result;
}

// The whole picture as the input of every call: the edges repeat beyond it, as the
// region walk's do. The output starts as the target's own pixels, so that bytes past
// the third carry the input's, as the region walk's do.
std::vector<uint8> byOwnWalk(const Job& job) {
    const Picture& picture = job.picture;
    ptrdiff_t rowBytes = ptrdiff_t(job.target.width) * picture.planes;
    std::vector<uint8> result(size_t(rowBytes) * job.target.height);
    WalkContext copy{&picture, &result, job.target};
    readPicture(&copy, job.target, PixelRows{result.data(), int32(rowBytes)});
    std::vector<uint8> work(effectWorkBytes(job.target.width));
    EffectWork area{work.data(), work.size(), job.target.width};
    EffectState state;
    chooseEffectKernel(&state, KernelChoice::plain, VectorLevel::widest);
    prepareEffectState(&state, job.radiation, job.amount, job.mist, 0);
    PixelBlock input{const_cast<uint8*>(picture.bytes.data()),
                     ptrdiff_t(picture.width) * picture.planes,
                     picture.planes,
                     0,
                     0,
                     picture.height,
                     picture.width};
    int32 bottom = job.target.top + job.target.height;
    for (int32 top = job.target.top; top < bottom; top += kOwnStripHeight) {
        int32 stripBottom = top + kOwnStripHeight < bottom ? top + kOwnStripHeight : bottom;
        PixelBlock output{result.data() + size_t(top - job.target.top) * size_t(rowBytes),
                          rowBytes,
                          picture.planes,
                          top,
                          job.target.left,
                          stripBottom,
                          job.target.left + job.target.width};
        EXPECT_TRUE(filterPixels(&state, area, input, output));
    }
    return result;
}

std::vector<uint8> run(const Job& job) { return job.ownWalk ? byOwnWalk(job) : byRegionWalk(job); }

std::vector<Job> mixedJobs() {
    std::vector<Job> jobs;
    jobs.push_back({randomPicture(1, 260, 150, 3), {0, 0, 260, 150}, 100, 80, 20, false});
    jobs.push_back({randomPicture(2, 180, 230, 4), {30, 41, 100, 120}, 35, 100, 0, false});
    jobs.push_back({randomPicture(3, 90, 70, 3), {5, 3, 80, 64}, 0, 50, 100, true});
    jobs.push_back({randomPicture(4, 300, 120, 4), {120, 10, 150, 100}, 70, 20, 60, true});
    jobs.push_back({randomPicture(5, 200, 200, 3), {50, 50, 100, 100}, 55, 65, 5, false});
    return jobs;
}

TEST(EngineThreads, CallersAtOnceGiveTheBytesOfCallersOneAfterAnother) {
    const std::vector<Job> jobs = mixedJobs();
    std::vector<std::vector<uint8>> alone;
    for (const Job& job : jobs) alone.push_back(run(job));

    std::vector<std::vector<std::vector<uint8>>> together(jobs.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < jobs.size(); ++i) {
        threads.emplace_back([&jobs, &together, i] {
            for (int32 round = 0; round < kRounds; ++round) together[i].push_back(run(jobs[i]));
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (size_t i = 0; i < jobs.size(); ++i) {
        for (const std::vector<uint8>& result : together[i]) {
            EXPECT_TRUE(result == alone[i]) << "job " << i;
        }
    }
}

TEST(EngineThreads, RegionWalkGivesTheBytesOfTheWholePictureAsInput) {
    for (Job job : mixedJobs()) {
        job.ownWalk = false;
        std::vector<uint8> walked = run(job);
        job.ownWalk = true;
        EXPECT_TRUE(walked == run(job)) << job.picture.width << " x " << job.picture.height;
    }
}

}  // namespace
