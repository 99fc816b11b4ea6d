#include "swap/engines.h"
#include "swap/swap.h"

#include <cpuid.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

volatile RewriteProgress StoresSoFar = {};

namespace {

struct Engine {
    SubstituteFunction substitute;
    const char* name;
};

// The engines this CPU can run, widest first, and how far the choice among them has got.
// Module-wide: the walk runs on the script thread alone, and the tools on one thread.
Engine engines[3];
TrialTimes trialNanos[3];
size_t engineCount = 0;
size_t trialsRun = 0;           // trial t is engine t % engineCount's, in round t / engineCount
const Engine* chosen = nullptr; // once every engine has had its trials

void ListEngines() {
    if (engineCount != 0) return;
    if (CpuHasAvx512()) engines[engineCount++] = {SubstituteAvx512, "AVX-512"};
    if (CpuHasAvx2()) engines[engineCount++] = {SubstituteAvx2, "AVX2"};
    engines[engineCount++] = {SubstituteSse2, "SSE2"};
    if (engineCount == 1) chosen = &engines[0];
}

// Trial k of every engine ran in the same round, back to back, so they met the same weather
// (other threads on the memory bus, the system taking the core) and none had a long stretch to
// train the prefetchers for it. Where engines run alike, the list's order decides, not chance.
bool ClearlyFaster(const TrialTimes& narrower, const TrialTimes& wider) {
    unsigned won = 0;
    for (unsigned k = 0; k < kEngineTrials; ++k)
        won += narrower[k] * 10 < wider[k] * 9;
    return won + 1 >= kEngineTrials;
}

// Times the next engine on the windows starting in the first kEngineTrialBytes of `begin`.
size_t RunTrial(uint8_t* begin, const SubstitutionChain& chain) {
    const size_t e = trialsRun % engineCount;
    const auto start = std::chrono::steady_clock::now();
    // The three bytes past the trial are read, not decided: the windows starting there belong
    // to the next stretch, which reads them after this one's stores, as an uncut scan would.
    const size_t rewritten = engines[e].substitute(begin, kEngineTrialBytes + 3, chain);
    const auto took = std::chrono::steady_clock::now() - start;
    // Noted only once the stretch is done: a fault that cuts it short leaves no trial.
    trialNanos[e][trialsRun / engineCount] =
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(took).count());
    if (++trialsRun == engineCount * kEngineTrials)
        chosen = &engines[FastestEngine({trialNanos, engineCount})];
    return rewritten;
}

// Extended feature bits (CPUID leaf 7, EBX).
constexpr unsigned kAvx2 = 1u << 5;
constexpr unsigned kAvx512F = 1u << 16;
constexpr unsigned kAvx512BW = 1u << 30;
// State the system must save on a thread switch (XCR0): SSE and upper 256-bit halves; for
// AVX-512 also the mask and 512-bit registers, which a system may leave switched off.
constexpr unsigned kAvxState = 0x06;
constexpr unsigned kAvx512State = 0xE6;

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

size_t FastestEngine(std::span<const TrialTimes> times) {
    size_t best = 0;
    for (size_t e = 1; e < times.size(); ++e) {
        if (ClearlyFaster(times[e], times[best])) best = e;
    }
    return best;
}

std::vector<EngineTrialRecord> EngineTrials() {
    ListEngines();
    std::vector<EngineTrialRecord> records;
    for (size_t e = 0; e < engineCount; ++e)
        records.push_back({engines[e].name, trialNanos[e]});
    return records;
}

size_t SubstituteRange(uint8_t* begin, size_t size, const SubstitutionChain& chain) {
    ListEngines();
    size_t rewritten = 0;
    // A chain without pairs gives the engines nothing to be timed on.
    while (chosen == nullptr && chain.count > 0 && size >= kEngineTrialBytes + 3) {
        rewritten += RunTrial(begin, chain);
        begin += kEngineTrialBytes;
        size -= kEngineTrialBytes;
    }
    const Engine& engine = chosen != nullptr ? *chosen : engines[0];
    return rewritten + engine.substitute(begin, size, chain);
}

const char* SubstituteEngineName() {
    ListEngines();
    return chosen != nullptr ? chosen->name : engines[0].name;
}

const char* ChooseEngineNow(const SubstitutionChain& chain) {
    ListEngines();
    if (chosen != nullptr) return chosen->name;
    // Written right before the trials, the scratch memory's start is out of every cache by
    // the time its end is written; random bytes keep every engine in its quiet loop.
    constexpr size_t kScratchBytes = size_t{128} << 20;
    std::vector<uint8_t> scratch(kScratchBytes);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (size_t at = 0; at + 8 <= scratch.size(); at += 8) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        std::memcpy(scratch.data() + at, &state, 8);
    }
    SubstituteRange(scratch.data(), engineCount * kEngineTrials * kEngineTrialBytes + 3, chain);
    return SubstituteEngineName();
}
