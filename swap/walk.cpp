#include "platform/platform.h"
#include "swap/swap.h"

#include <algorithm>

namespace {

// On Win64 the 32 bytes above a return address are the called function's home space,
// where it may spill its register arguments: they belong to the walk too.
#ifdef _WIN64
constexpr uintptr_t kCalleeHomeSpace = 32;
#else
constexpr uintptr_t kCalleeHomeSpace = 0;
#endif

struct Scan {
    uintptr_t begin;
    uintptr_t end;
    const SubstitutionChain* chain;
};

void RunScan(void* context) {
    const Scan& scan = *static_cast<const Scan*>(context);
    SubstituteRange(reinterpret_cast<uint8_t*>(scan.begin), scan.end - scan.begin, *scan.chain);
}

// Scans [begin, end) of a region that was committed read-write when it was queried.
// Returns where the walk goes on: `end`, or the page after the lowest page that faulted.
uintptr_t ScanRegion(uintptr_t begin, uintptr_t end, const SubstitutionChain& chain,
                     WalkResult& result) {
    const size_t countBefore = Rewrites.count;
    uintptr_t next = end;
    Scan scan{begin, end, &chain};
    for (;;) {
        Rewrites.end = reinterpret_cast<uint8_t*>(scan.begin);
        uintptr_t fault = 0;
        if (platform::GuardedScan(RunScan, &scan, scan.begin, scan.end, fault)) break;
        result.faultsRecovered += 1;
        // The faulting page is skipped, with the windows that reach into it. Those before it
        // are finished from just past the last store: the windows between there and the
        // fault were read without a match, and read the same again.
        const uintptr_t page = fault & ~(uintptr_t(platform::PageSize()) - 1);
        next = page + platform::PageSize();
        scan.begin = std::max(scan.begin, reinterpret_cast<uintptr_t>(Rewrites.end));
        scan.end = page;
        if (scan.end < scan.begin + 4) break;
    }
    result.windowsRewritten += Rewrites.count - countBefore;
    return next;
}

} // namespace

// Never inlined, so that its frame, and every frame below it, belongs to the walk alone.
__attribute__((noinline)) WalkResult WalkPrivateWritableMemory(const SubstitutionChain& chain) {
    // The stack is private read-write memory too. From the walk's frames down, it holds the
    // walk's own state (the copy of the pairs, whatever the compiler spills): scanning it
    // would rewrite the pairs mid-walk, so it is skipped. It ends at the caller's stack
    // pointer at the call (the frame pointer will not do: on Win64 it may point mid-frame);
    // the callers' frames above are scanned like any other memory.
    const uintptr_t ownFramesEnd =
        reinterpret_cast<uintptr_t>(__builtin_dwarf_cfa()) + kCalleeHomeSpace;
    const SubstitutionChain pairs = chain; // the caller's copy may be rewritten under us
    const uintptr_t ownFrame = reinterpret_cast<uintptr_t>(&pairs);

    WalkResult result;
    if (!platform::BeginFaultRecovery()) return result;
    const platform::AddressRange range = platform::ApplicationAddressRange();
    for (uintptr_t address = range.lowest; address < range.highest;) {
        platform::Region region;
        if (!platform::QueryRegion(address, region) || region.RegionSize == 0) break;
        uintptr_t next = address + region.RegionSize;
        if (IsWalkedRegion(region)) {
            uintptr_t begin = region.BaseAddress;
            const uintptr_t end = begin + region.RegionSize;
            if (begin <= ownFrame && ownFrame < end) begin = std::clamp(ownFramesEnd, begin, end);
            next = std::min(next, ScanRegion(begin, end, pairs, result));
            result.regionsScanned += 1;
            result.bytesScanned += end - begin;
        }
        address = next;
    }
    platform::EndFaultRecovery();
    return result;
}
