#pragma once
// Rewrites item hashes in place across the process's private writable memory, so the
// game uses the items the player chose; and rewrites them back.

#include "platform/platform.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct SwapSettingsRecord;

struct HashPair {
    uint32_t from;
    uint32_t to;
};

// The pairs a walk substitutes, in the order they are tested on each 4-byte window.
// Pairs with a zero hash on either side are left out: 0 stands for a name the dictionary
// lacks, and rewriting zeros would corrupt memory wholesale.
struct SubstitutionChain {
    std::array<HashPair, 4> pairs{};
    size_t count = 0;
};

// Shake, loop, depth of field, camera: old to new.
SubstitutionChain ApplyChain(const SwapSettingsRecord& settings);
// The same four pairs, each reversed.
SubstitutionChain RestoreChain(const SwapSettingsRecord& settings);

// Runs the chain over every 4-byte window of [begin, begin + size), one byte apart,
// storing as it goes, so a store changes what the next three windows read. Returns the
// number of windows rewritten.
using SubstituteFunction = size_t (*)(uint8_t* begin, size_t size, const SubstitutionChain& chain);

// Where an engine's stores have got to: just past the last window rewritten, and how many
// windows were. Every engine notes each store right after making it, so when a fault cuts a
// scan short, every window before `end` is final and none from it on has been rewritten:
// the scan can go on from there with exactly the uncut result.
struct RewriteProgress {
    uint8_t* end;
    size_t count;
};
extern volatile RewriteProgress Rewrites;

// Notes a store at `window` in Rewrites, after the store itself.
inline void NoteRewrite(uint8_t* window) {
    __atomic_signal_fence(__ATOMIC_SEQ_CST);
    Rewrites.end = window + 1;
    Rewrites.count = Rewrites.count + 1;
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

// The engine the walk uses. The widest engine is not always the fastest from memory (on
// some CPUs AVX-512 streams at a third of AVX2's speed while it leads in cache), so the
// walks decide: until the choice is made, every kEngineTrialSpacing bytes a stretch of
// kEngineTrialBytes goes to the next engine this CPU can run, in turn, and after
// kEngineTrials rounds the one that was clearly fastest round by round runs from then on,
// for the module's lifetime. Every engine gives the same bytes, so the choice changes only
// the time. The trials take the first 200 MiB or so of the first walk; where the widest
// engine is the slow one, they cost that walk about 10 ms, once.
constexpr size_t kEngineTrialBytes = size_t{1} << 20;
constexpr size_t kEngineTrialSpacing = size_t{8} << 20;
constexpr unsigned kEngineTrials = 7;
size_t SubstituteRange(uint8_t* begin, size_t size, const SubstitutionChain& chain);
// "AVX-512", "AVX2" or "SSE2": the engine SubstituteRange runs; before the choice is made,
// the widest this CPU can run.
const char* SubstituteEngineName();
// Makes the choice now, unless a walk has, by the same trials over scratch memory larger
// than the caches (128 MiB, a tenth of a second); returns SubstituteEngineName(). For the
// tools that report the choice without walking a game.
const char* ChooseEngineNow();

// The regions the walk rewrites: committed private memory that is exactly read-write or
// write-copy. Guard pages, executable and shared memory are never touched.
bool IsWalkedRegion(const platform::Region& region);

struct WalkResult {
    size_t regionsScanned = 0;
    size_t bytesScanned = 0; // of the regions taken, faulted pages included
    size_t windowsRewritten = 0;
    size_t faultsRecovered = 0;
};

// Walks committed private read-write and write-copy memory with `chain`, region by region
// from the lowest application address; a failed query ends the walk there. A page that
// another thread frees or re-protects under the scan is skipped: the windows before it get
// exactly the result of an uncut scan, and the walk asks again from the page after it. The
// walk's own stack frames are not scanned. Script thread only.
WalkResult WalkPrivateWritableMemory(const SubstitutionChain& chain);

// Old hashes to new, from SwapSettings.
WalkResult ApplySwap();
// New hashes back to old, from SwapSettings.
WalkResult RestoreSwap();
