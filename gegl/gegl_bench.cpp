// gegl_bench: the time of one 4000 x 3000 picture through the Lumiveil operation,
// through GEGL's own gegl:box-blur (radius 96, the nearest peer) and gegl:softglow,
// once as 8-bit RGBA and once as RGBA float (the operation's float path; GEGL's
// box blur works in float on either),
// each run once to warm up and then timed, all in this one process on GEGL's
// threads; and beside them the engine's own kernel on one thread, for the same
// picture and settings.
//
//   gegl_bench MODULE_FOLDER      (the folder holding lumiveil-gegl.so)
#include <gegl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/effect_engine.h"
#include "gegl/operation_keys.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kPixelBytes = 4;
// The operation's defaults, and GEGL's box blur at the largest box the effect uses.
constexpr int kRadiation = 50;
constexpr int kAmount = 50;
constexpr int kMist = 0;
constexpr int kBoxBlurRadius = 96;
constexpr int kTimedRuns = 3;
constexpr int32_t kUnitInputRate = 0x10000;
constexpr double kMilliseconds = 1000.0;

using Clock = std::chrono::steady_clock;

// Gradients under a little pseudo-random noise, alpha opaque: photograph-like
// enough that no kernel takes a shortcut.
std::vector<uint8_t> makePicture() {
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * kPixelBytes);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            uint8_t* pixel = &pixels[(size_t(y) * kWidth + x) * kPixelBytes];
            int jitter = int(noise >> 27);  // 0..31
            pixel[0] = uint8_t((x * 255 / kWidth + jitter) & 0xFF);
            pixel[1] = uint8_t((y * 255 / kHeight + jitter) & 0xFF);
            pixel[2] = uint8_t(((x + y) / 32 % 2 ? 200 : 40) + jitter);
            pixel[3] = 255;
        }
    }
    return pixels;
}

// One render of the whole picture through `operation` into a fresh buffer; a fresh
// graph every time, so no cache of an earlier run answers.
double renderSeconds(GeglBuffer* input, const char* operation, const char* property, int value) {
    GeglBuffer* output =
        gegl_buffer_new(gegl_buffer_get_extent(input), gegl_buffer_get_format(input));
    GeglNode* graph = gegl_node_new();
    GeglNode* source =
        gegl_node_new_child(graph, "operation", "gegl:buffer-source", "buffer", input, nullptr);
    GeglNode* filter = gegl_node_new_child(graph, "operation", operation, nullptr);
    if (property) gegl_node_set(filter, property, value, nullptr);
    GeglNode* sink =
        gegl_node_new_child(graph, "operation", "gegl:write-buffer", "buffer", output, nullptr);
    gegl_node_link_many(source, filter, sink, nullptr);
    Clock::time_point start = Clock::now();
    gegl_node_process(sink);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    g_object_unref(graph);
    g_object_unref(output);
    return seconds;
}

double bestOfRuns(GeglBuffer* input, const char* operation, const char* property, int value) {
    renderSeconds(input, operation, property, value);  // warm-up
    double best = 0;
    for (int run = 0; run < kTimedRuns; ++run) {
        double seconds = renderSeconds(input, operation, property, value);
        if (run == 0 || seconds < best) best = seconds;
    }
    return best;
}

// The engine alone over the whole picture in one call, on this thread.
double engineSeconds(std::vector<uint8_t>& picture) {
    std::vector<uint8_t> out(picture.size());
    PixelBlock input = {picture.data(), ptrdiff_t(kWidth) * kPixelBytes, kPixelBytes, 0, 0, kHeight,
                        kWidth};
    PixelBlock output = input;
    output.data = out.data();
    std::vector<uint8_t> block(effectWorkBytes(kWidth));
    EffectWork work = {block.data(), block.size(), kWidth};
    EffectState* state = new EffectState;
    double best = 0;
    for (int run = 0; run <= kTimedRuns; ++run) {
        prepareEffectState(state, kRadiation, kAmount, kMist, kUnitInputRate);
        Clock::time_point start = Clock::now();
        bool done = filterPixels(state, work, input, output);
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!done) std::fprintf(stderr, "gegl_bench: the engine refused the picture\n");
        if (run == 1 || (run > 1 && seconds < best)) best = seconds;  // run 0 warms up
    }
    delete state;
    return best;
}

void printRow(const char* name, double seconds, double boxBlurSeconds) {
    std::printf("  %-34s %8.0f ms   %5.2f x gegl:box-blur\n", name, seconds * kMilliseconds,
                seconds / boxBlurSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gegl_bench MODULE_FOLDER\n");
        return 2;
    }
    // gegl:softglow is GPL-3 code, offered only to an application that says it may use it.
    g_object_set(gegl_config(), "application-license", "GPL3", nullptr);
    gegl_init(&argc, &argv);
    gegl_load_module_directory(argv[1]);
    if (!gegl_has_operation(kOperationName)) {
        std::fprintf(stderr, "gegl_bench: no %s in %s\n", kOperationName, argv[1]);
        return 1;
    }
    std::vector<uint8_t> picture = makePicture();
    GeglRectangle extent = {0, 0, kWidth, kHeight};
    GeglBuffer* input = gegl_buffer_new(&extent, babl_format("R'G'B'A u8"));
    gegl_buffer_set(input, &extent, 0, babl_format("R'G'B'A u8"), picture.data(),
                    GEGL_AUTO_ROWSTRIDE);

    int threads = 0;
    g_object_get(gegl_config(), "threads", &threads, nullptr);
    double boxBlur = bestOfRuns(input, "gegl:box-blur", "radius", kBoxBlurRadius);
    double softglow = bestOfRuns(input, "gegl:softglow", nullptr, 0);
    double lumiveil = bestOfRuns(input, kOperationName, "radiation", kRadiation);
    double engine = engineSeconds(picture);
    // The same picture as RGBA float: the operation's float path.
    GeglBuffer* floats = gegl_buffer_new(&extent, babl_format("R'G'B'A float"));
    gegl_buffer_copy(input, &extent, GEGL_ABYSS_NONE, floats, &extent);
    double floatBoxBlur = bestOfRuns(floats, "gegl:box-blur", "radius", kBoxBlurRadius);
    double floatLumiveil = bestOfRuns(floats, kOperationName, "radiation", kRadiation);
    g_object_unref(floats);

    std::printf(
        "gegl_bench: %d x %d RGBA u8, GEGL %d.%d.%d (built against) on %d threads, best of %d "
        "after a "
        "warm-up\n",
        kWidth, kHeight, GEGL_MAJOR_VERSION, GEGL_MINOR_VERSION, GEGL_MICRO_VERSION, threads,
        kTimedRuns);
    printRow(kOperationName, lumiveil, boxBlur);
    printRow("gegl:box-blur radius 96", boxBlur, boxBlur);
    printRow("gegl:softglow", softglow, boxBlur);
    printRow("engine kernel alone, one thread", engine, boxBlur);
    std::printf("the same picture as R'G'B'A float:\n");
    printRow(kOperationName, floatLumiveil, floatBoxBlur);
    printRow("gegl:box-blur radius 96", floatBoxBlur, floatBoxBlur);

    g_object_unref(input);
    gegl_exit();
    return 0;
}
