#pragma once
// Rewrites item hashes in place across the process's private writable memory, and back.

#include "platform/memory_regions.h"
#include "settings/swap_pairs.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct HashPair {
    uint32_t from;
    uint32_t to;
};

// The pairs a walk substitutes, in the order they are tested on each 4-byte window.
// Pairs with a zero hash on either side are left out: 0 stands for a name the dictionary
// lacks, and rewriting zeros would corrupt memory wholesale.
struct SubstitutionChain {
    std::array<HashPair, kPairCount> pairs{};
    size_t count = 0;
};

// SwapPairs in their order, old to new.
SubstitutionChain ApplyChain(const SwapSettingsRecord& settings);
// The same pairs, each reversed.
SubstitutionChain RestoreChain(const SwapSettingsRecord& settings);

// Runs the chain over every 4-byte window of [begin, begin + size), one byte apart, storing as
// it goes, so a store changes what the next three windows read. Returns the number rewritten.
size_t SubstituteRange(uint8_t* begin, size_t size, const SubstitutionChain& chain);
// "AVX-512", "AVX2" or "SSE2": the engine SubstituteRange runs (the widest until chosen).
const char* SubstituteEngineName();
// Unless a walk has chosen, chooses now by trials over 128 MiB of scratch memory (a tenth of
// a second); returns SubstituteEngineName().
const char* ChooseEngineNow(const SubstitutionChain& chain);

// The regions the walk rewrites: committed private memory that is exactly read-write or
// write-copy. Guard pages, executable and shared memory are never touched.
bool IsWalkedRegion(const platform::Region& region);

struct WalkResult {
    size_t regionsScanned = 0;
    size_t bytesScanned = 0; // of the regions taken, faulted pages included
    size_t windowsRewritten = 0;
    size_t faultsRecovered = 0;
};

// Walks IsWalkedRegion memory from the lowest application address; a failed query ends it. A
// page freed or re-protected under the scan is skipped, the windows before it getting exactly an
// uncut scan's result. The walk's own frames are not scanned; at the end the stack below its
// callers' frames and the vector registers are cleared of replaced hashes. Script thread only.
WalkResult WalkPrivateWritableMemory(const SubstitutionChain& chain);

// Old hashes to new, from SwapSettings.
WalkResult ApplySwap();
// New hashes back to old, from SwapSettings.
WalkResult RestoreSwap();
