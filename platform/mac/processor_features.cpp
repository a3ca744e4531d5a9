// The record that the compiler's __builtin_cpu_supports reads on x86_64, which
// the engine uses to choose its vector rows. Apple's toolchain links it from
// the compiler's runtime library; this build has none, so the Mac side fills
// it from cpuid here, with the operating system's consent to the wider
// registers read from XCR0 as the runtime does.

#if defined(__x86_64__)

#include <cpuid.h>

#include <cstdint>

namespace {

// The bits of the features word that the engine's questions test (the compiler's
// numbering, the same as GCC's).
constexpr uint32_t kFeatureAvx2 = 1u << 10;
constexpr uint32_t kFeatureAvx512F = 1u << 15;
constexpr uint32_t kFeatureAvx512VL = 1u << 20;
constexpr uint32_t kFeatureAvx512BW = 1u << 21;

constexpr unsigned kLeafFeatures = 1;
constexpr unsigned kLeafExtendedFeatures = 7;
constexpr unsigned kOsxsaveBit = 1u << 27;  // leaf 1, ecx: XGETBV may be used
constexpr unsigned kAvxBit = 1u << 28;      // leaf 1, ecx
constexpr unsigned kAvx2Bit = 1u << 5;      // leaf 7, ebx
constexpr unsigned kAvx512FBit = 1u << 16;  // leaf 7, ebx
constexpr unsigned kAvx512BWBit = 1u << 30;
constexpr unsigned kAvx512VLBit = 1u << 31;
constexpr uint64_t kXmmYmmState = 0x6;   // XCR0: SSE and AVX registers saved by the system
constexpr uint64_t kAvx512State = 0xE6;  // ... and the mask and ZMM registers

uint64_t enabledRegisterState() {
    uint32_t low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (uint64_t(high) << 32) | low;
}

uint32_t detectFeatures() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(kLeafFeatures, &eax, &ebx, &ecx, &edx)) return 0;
    if (!(ecx & kOsxsaveBit) || !(ecx & kAvxBit)) return 0;
    const uint64_t state = enabledRegisterState();
    if ((state & kXmmYmmState) != kXmmYmmState) return 0;
    if (!__get_cpuid_count(kLeafExtendedFeatures, 0, &eax, &ebx, &ecx, &edx)) return 0;
    uint32_t features = 0;
    if (ebx & kAvx2Bit) features |= kFeatureAvx2;
    if ((state & kAvx512State) == kAvx512State) {
        if (ebx & kAvx512FBit) features |= kFeatureAvx512F;
        if (ebx & kAvx512BWBit) features |= kFeatureAvx512BW;
        if (ebx & kAvx512VLBit) features |= kFeatureAvx512VL;
    }
    return features;
}

}  // namespace

// The names and layout the compiler's code expects: vendor, type, subtype, then
// the first word of feature bits (at offset 12).
extern "C" {
struct ProcessorModel {
    unsigned int vendor;
    unsigned int type;
    unsigned int subtype;
    unsigned int features[1];
};
ProcessorModel __cpu_model = {};

int __cpu_indicator_init() {
    __cpu_model.features[0] = detectFeatures();
    return 0;
}
}

#endif  // __x86_64__
