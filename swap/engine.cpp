#include "swap/swap.h"

namespace {

struct Engine {
    SubstituteFunction substitute;
    const char* name;
};

// Chosen at the first walk, on the script thread, and kept for the module's lifetime.
const Engine& ChosenEngine() {
    static const Engine engine =
        CpuHasAvx2() ? Engine{SubstituteAvx2, "AVX2"} : Engine{SubstituteSse2, "SSE2"};
    return engine;
}

} // namespace

bool CpuHasAvx2() {
    // The check may run before the runtime's own CPU detection in a freshly loaded module.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

size_t SubstituteRange(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    return ChosenEngine().substitute(begin, size, chain);
}

const char* SubstituteEngineName() {
    return ChosenEngine().name;
}
