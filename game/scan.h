#pragma once
// The core of `ostrevane scan`: copies the memory the plug-in's walk would rewrite out of a
// running game, chunk by chunk, counts hashes in the copies and runs the plug-in's own
// engine over them, never writing to the game.

#include "game/hash_counter.h"
#include "platform/process_memory.h"
#include "swap/swap.h"

#include <functional>
#include <vector>

// Bytes copied from the game at a time.
constexpr size_t kScanChunk = 1 << 20;

struct ScanProgress {
    uint64_t bytesDone;
    uint64_t bytesTotal;
    size_t regionsDone;
    size_t regionsTotal;
};
// Called after every chunk.
using ScanProgressFunction = std::function<void(const ScanProgress&)>;

struct ScanResult {
    bool processExited = false;   // it ended before the scan did: the counts are incomplete
    bool listingFailed = false;   // a query of its regions failed while it ran
    uintptr_t listedUpTo = 0;     // then: the end of the last region listed, 0 for none
    std::vector<uint64_t> counts; // per slot of the counter
    uint64_t wouldRewrite = 0;    // windows the engine rewrote in the copies
    size_t regions = 0;           // regions the walk would take, as listed at the start
    uint64_t bytesRead = 0;
    uint64_t bytesSkipped = 0; // gone or unreadable by the time they were read
};

// Scans every region of the process that IsWalkedRegion takes, as it stands now; when the
// listing of its regions fails part-way, those listed before the failure. Each
// region is one run of windows, as the walk sees it: a window crossing a chunk edge is
// counted, and rewritten, once; none crosses from one region into the next, or across
// bytes that could not be read.
ScanResult ScanProcess(const platform::ProcessReader& process, const HashCounter& counter,
                       const SubstitutionChain& chain, const ScanProgressFunction& progress);
