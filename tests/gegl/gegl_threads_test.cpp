// The GEGL operation in one process with several graphs rendered at once, as in
// GIMP with filters on several layers: each graph chains two Lumiveil nodes with
// different settings, and each thread renders its own graph while GEGL's worker
// threads split every node's pass. Each graph must give the bytes it gives when
// rendered alone; any state that passes shared would mix their settings.
// (GEGL 0.4 does not let threads render parts of one graph at once, and within one
// render it runs one node at a time.)
//
//   gegl_threads_test OPERATION.so
#include <gegl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* gOperation = nullptr;
constexpr int kWidth = 700, kHeight = 500, kGeglThreads = 4;
constexpr int kPixelBytes = 4;

struct Settings {
    int radiation, amount, mist;
};
// Each graph's two nodes; no two nodes alike.
const Settings kChains[][2] = {{{30, 80, 10}, {85, 35, 40}},
                               {{85, 35, 40}, {30, 80, 10}},
                               {{100, 100, 0}, {5, 60, 100}},
                               {{60, 20, 70}, {45, 95, 15}}};
constexpr int kGraphs = sizeof kChains / sizeof kChains[0];

GeglNode* lumiveil(GeglNode* root, const Settings& settings) {
    return gegl_node_new_child(root, "operation", "quietharbor:lumiveil", "radiation",
                               settings.radiation, "amount", settings.amount, "mist", settings.mist,
                               nullptr);
}

// A graph of its own for every render: nothing cached from an earlier one.
void render(GeglBuffer* source, int graph, std::vector<uint8_t>* out) {
    GeglNode* root = gegl_node_new();
    GeglNode* input =
        gegl_node_new_child(root, "operation", "gegl:buffer-source", "buffer", source, nullptr);
    GeglNode* last = lumiveil(root, kChains[graph][1]);
    gegl_node_link_many(input, lumiveil(root, kChains[graph][0]), last, nullptr);
    GeglRectangle whole = {0, 0, kWidth, kHeight};
    out->resize(size_t(kWidth) * kHeight * kPixelBytes);
    gegl_node_blit(last, 1.0, &whole, babl_format("R'G'B'A u8"), out->data(), kWidth * kPixelBytes,
                   GEGL_BLIT_DEFAULT);
    g_object_unref(root);
}

TEST(GeglThreads, GraphsOfTwoNodesRenderedAtOnceGiveTheBytesOfEachAlone) {
    ASSERT_TRUE(gegl_has_operation("quietharbor:lumiveil")) << "GEGL did not load " << gOperation;
    std::vector<uint8_t> noise(size_t(kWidth) * kHeight * kPixelBytes);
    std::mt19937 random(7);
    for (uint8_t& value : noise) value = uint8_t(random() >> 24);
    GeglRectangle whole = {0, 0, kWidth, kHeight};
    GeglBuffer* source = gegl_buffer_new(&whole, babl_format("R'G'B'A u8"));
    gegl_buffer_set(source, &whole, 0, babl_format("R'G'B'A u8"), noise.data(),
                    GEGL_AUTO_ROWSTRIDE);

    std::vector<std::vector<uint8_t>> alone(kGraphs), together(kGraphs);
    for (int graph = 0; graph < kGraphs; ++graph) render(source, graph, &alone[graph]);
    std::vector<std::thread> threads;
    for (int graph = 0; graph < kGraphs; ++graph) {
        threads.emplace_back(render, source, graph, &together[graph]);
    }
    for (std::thread& thread : threads) thread.join();
    g_object_unref(source);
    for (int graph = 0; graph < kGraphs; ++graph) {
        EXPECT_NE(alone[graph], noise) << "graph " << graph << ": the filter changed nothing";
        size_t differing = 0;
        for (size_t i = 0; i < noise.size(); ++i)
            differing += alone[graph][i] != together[graph][i];
        EXPECT_EQ(differing, 0u) << "graph " << graph
                                 << ": bytes differ when rendered beside the others";
    }
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gegl_threads_test OPERATION.so\n");
        return 2;
    }
    gOperation = argv[1];
    // GEGL loads every module of a folder: one of its own holds just the operation.
    char folder[] = "/tmp/lumiveil-gegl-threads-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    std::string link = std::string(folder) + "/lumiveil-gegl.so";
    if (symlink(gOperation, link.c_str()) != 0) return 1;
    gegl_init(nullptr, nullptr);
    g_object_set(gegl_config(), "threads", kGeglThreads, nullptr);
    gegl_load_module_directory(folder);
    int result = RUN_ALL_TESTS();
    gegl_exit();
    unlink(link.c_str());
    rmdir(folder);
    return result;
}
