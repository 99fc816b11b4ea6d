#pragma once
// The substitution engines behind SubstituteRange, and the CPU checks and trials that choose.

#include "swap/swap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// One engine: SubstituteRange's contract, always with that engine.
using SubstituteFunction = size_t (*)(uint8_t* begin, size_t size, const SubstitutionChain& chain);

// Just past the last window rewritten, and how many were. Engines note each store right after
// making it, so when a fault cuts a scan short every window before `end` is final and none from
// it on is rewritten: the walk goes on from there with exactly the uncut result.
struct RewriteProgress {
    uint8_t* end;
    size_t count;
};
extern volatile RewriteProgress StoresSoFar;

// Notes a store at `window` in StoresSoFar, after the store itself.
inline void NoteRewrite(uint8_t* window) {
    __atomic_signal_fence(__ATOMIC_SEQ_CST);
    StoresSoFar.end = window + 1;
    StoresSoFar.count = StoresSoFar.count + 1;
}

// The plain byte-by-byte engine: obviously right, and the oracle for faster ones.
size_t SubstituteReference(uint8_t* begin, size_t size, const SubstitutionChain& chain);

// Vector engines with the reference's exact result; they read nothing outside the range.
size_t SubstituteSse2(uint8_t* begin, size_t size, const SubstitutionChain& chain);
// Only on a CPU where CpuHasAvx2() holds.
size_t SubstituteAvx2(uint8_t* begin, size_t size, const SubstitutionChain& chain);
// Only on a CPU where CpuHasAvx512() holds.
size_t SubstituteAvx512(uint8_t* begin, size_t size, const SubstitutionChain& chain);

// Whether this CPU, and the operating system, can run AVX2 code.
bool CpuHasAvx2();
// Whether this CPU has AVX-512F and BW and the system saves the mask and 512-bit registers.
bool CpuHasAvx512();

// The widest engine is not always fastest from memory (AVX-512 may stream at half AVX2's speed
// while it leads in cache), so the first 21 MiB or so of the first walk time the engines in turn,
// kEngineTrialBytes each, for kEngineTrials rounds; the clear winner then runs until unload.
constexpr size_t kEngineTrialBytes = size_t{1} << 20;
constexpr unsigned kEngineTrials = 7;

// One engine's trial times in nanoseconds, round by round.
using TrialTimes = std::array<uint64_t, kEngineTrials>;

// Index into `times` (widest first) of the trials' choice: a narrower engine wins only if it was
// faster by a tenth than the best so far in all rounds but one; ties keep the wider.
size_t FastestEngine(std::span<const TrialTimes> times);

struct EngineTrialRecord {
    const char* name;
    TrialTimes nanos; // zero for the rounds not yet run
};
// The engines this CPU can run, widest first, with their trial times so far.
std::vector<EngineTrialRecord> EngineTrials();
