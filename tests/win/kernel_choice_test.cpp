// Which row routines the module's kernel chooses on this processor, in the test log:
// under an emulator the processor may offer less than a real one, and the kernel
// tests built into this program then leave the missing routines unexercised.

#include <gtest/gtest.h>

#include <cstdio>

#include "strips/module_effect.h"

namespace {

#if defined(__x86_64__) || defined(__i386__)
TEST(KernelChoice, ReportsTheRoutinesThisProcessorGets) {
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2");
    const bool avx512 = __builtin_cpu_supports("avx512f") &&
                        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    limitVectorLevel(VectorLevel::widest);
    std::printf("kernel: %s-bit module chooses %s; processor offers SSE2 yes, AVX2 %s, "
                "AVX-512 %s%s\n",
                sizeof(void*) == 4 ? "32" : "64", vectorLevelName(), avx2 ? "yes" : "no",
                avx512 ? "yes" : "no",
                avx512 ? "" : (avx2 ? " (AVX-512 routines unexercised here)"
                                    : " (AVX2 and AVX-512 routines unexercised here)"));
    EXPECT_STREQ(vectorLevelName(), avx512 ? "AVX-512" : (avx2 ? "AVX2" : "SSE2"));
}
#else
TEST(KernelChoice, ReportsTheNeonRowsOnArm64) {
    limitVectorLevel(VectorLevel::widest);
    std::printf("kernel: ARM64 module chooses %s\n", vectorLevelName());
    EXPECT_STREQ(vectorLevelName(), "NEON");
}
#endif

}  // namespace
