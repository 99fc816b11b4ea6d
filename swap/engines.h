#pragma once
// The substitution engines behind SubstituteRange: the plain reference, the vector engines,
// the CPU checks that decide which of them may run, the trials that choose among those, and
// the record of how far a cut-short run got. For the engines, the walk, their tests and the
// benchmarks.

#include "swap/swap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// One engine: SubstituteRange's contract, always with that engine.
using SubstituteFunction = size_t (*)(uint8_t* begin, size_t size, const SubstitutionChain& chain);

// Where an engine's stores have got to: just past the last window rewritten, and how many
// windows were. Every engine notes each store right after making it, so when a fault cuts a
// region's scan short, every window before `end` is final and none from it on has been
// rewritten: the walk can go on from there with exactly the uncut result.
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

// Vector engines with the reference's exact result: a byte-pair filter finds the windows
// that may match, the chain confirms them. They read nothing outside the range.
size_t SubstituteSse2(uint8_t* begin, size_t size, const SubstitutionChain& chain);
// Only on a CPU where CpuHasAvx2() holds.
size_t SubstituteAvx2(uint8_t* begin, size_t size, const SubstitutionChain& chain);
// Only on a CPU where CpuHasAvx512() holds.
size_t SubstituteAvx512(uint8_t* begin, size_t size, const SubstitutionChain& chain);

// Whether this CPU, and the operating system, can run AVX2 code.
bool CpuHasAvx2();
// Whether this CPU has AVX-512F and AVX-512BW and the operating system saves the mask and
// 512-bit registers across thread switches.
bool CpuHasAvx512();

// How SubstituteRange chooses its engine. The widest engine is not always the fastest from
// memory (on some CPUs AVX-512 streams at half of AVX2's speed while it leads in cache),
// so the walks decide: until the choice is made, each stretch of kEngineTrialBytes goes to
// the next engine this CPU can run, in turn, and after kEngineTrials rounds the one that
// was clearly fastest round by round runs from then on, for the module's lifetime. Every
// engine gives the same bytes, so the choice changes only the time. The trials take the
// first 21 MiB or so of the first walk.
constexpr size_t kEngineTrialBytes = size_t{1} << 20;
constexpr unsigned kEngineTrials = 7;

// One engine's trial times in nanoseconds, round by round.
using TrialTimes = std::array<uint64_t, kEngineTrials>;

// The engine the trials choose, as an index into `times`, widest engine first: a narrower
// engine wins only if it was faster by a tenth than the best so far in all rounds but one;
// otherwise, and on ties, the wider one stays.
size_t FastestEngine(std::span<const TrialTimes> times);

struct EngineTrialRecord {
    const char* name;
    TrialTimes nanos; // zero for the rounds not yet run
};
// The engines this CPU can run, widest first, with their trial times so far: for the
// benchmark's report of why the choice fell as it did.
std::vector<EngineTrialRecord> EngineTrials();
