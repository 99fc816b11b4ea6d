#include "swap/swap.h"

#include <cpuid.h>

volatile RewriteProgress Rewrites = {};

namespace {

struct Engine {
    SubstituteFunction substitute;
    const char* name;
};

// Chosen at the first walk, on the script thread, and kept for the module's lifetime.
const Engine& ChosenEngine() {
    static const Engine engine = CpuHasAvx512() ? Engine{SubstituteAvx512, "AVX-512"}
                                 : CpuHasAvx2() ? Engine{SubstituteAvx2, "AVX2"}
                                                : Engine{SubstituteSse2, "SSE2"};
    return engine;
}

// Extended feature bits (CPUID leaf 7, EBX).
constexpr unsigned kAvx2 = 1u << 5;
constexpr unsigned kAvx512F = 1u << 16;
constexpr unsigned kAvx512BW = 1u << 30;
// Register state the operating system must save on a thread switch (XCR0): SSE and the
// upper halves of the 256-bit registers; for AVX-512 also the mask registers and the
// 512-bit ones. A CPU can have AVX-512 that the system leaves switched off.
constexpr unsigned kAvxState = 0x06;
constexpr unsigned kAvx512State = 0xE6;

// Whether the CPU has every feature bit in `features` and the operating system saves every
// register state in `state`.
bool CpuAndSystemHave(unsigned features, unsigned state) {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || (ecx & bit_OSXSAVE) == 0) return false;
    unsigned low, high;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & state) != state) return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & features) == features;
}

} // namespace

bool CpuHasAvx2() {
    return CpuAndSystemHave(kAvx2, kAvxState);
}

bool CpuHasAvx512() {
    return CpuAndSystemHave(kAvx512F | kAvx512BW, kAvx512State);
}

size_t SubstituteRange(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    return ChosenEngine().substitute(begin, size, chain);
}

const char* SubstituteEngineName() {
    return ChosenEngine().name;
}
