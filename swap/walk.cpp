#include "platform/platform.h"
#include "settings/settings.h"
#include "swap/swap.h"

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define OSTREVANE_NOINLINE __declspec(noinline)
#define OSTREVANE_OWN_FRAMES_END() (reinterpret_cast<uintptr_t>(_AddressOfReturnAddress()) + 8)
#else
#define OSTREVANE_NOINLINE __attribute__((noinline))
// The caller's stack pointer at the call: the return address and everything the walk
// keeps lie below it. (The frame pointer will not do: on Win64 it may point mid-frame.)
#define OSTREVANE_OWN_FRAMES_END() reinterpret_cast<uintptr_t>(__builtin_dwarf_cfa())
#endif

namespace {

bool IsScanned(const platform::Region& region) {
    return region.State == platform::kMemCommit && region.Type == platform::kMemPrivate &&
           (region.Protect == platform::kPageReadWrite ||
            region.Protect == platform::kPageWriteCopy);
}

} // namespace

// Never inlined, so that its frame, and every frame below it, belongs to the walk alone.
OSTREVANE_NOINLINE WalkResult WalkPrivateWritableMemory(const SubstitutionChain& chain) {
    // The stack is private read-write memory too. Everything below the caller's frame is the
    // walk's own: the copy of the pairs, and whatever the compiler spills. Scanning it
    // would rewrite the pairs in the middle of the walk, so it is skipped, while the
    // callers' frames above are scanned like any other memory.
    const uintptr_t ownFramesEnd = OSTREVANE_OWN_FRAMES_END();
    const SubstitutionChain pairs = chain; // the caller's copy may be rewritten under us

    WalkResult result;
    const platform::AddressRange range = platform::ApplicationAddressRange();
    for (uintptr_t address = range.lowest; address < range.highest;) {
        platform::Region region;
        if (!platform::QueryRegion(address, region) || region.RegionSize == 0) break;
        if (IsScanned(region)) {
            uintptr_t begin = region.BaseAddress;
            const uintptr_t end = begin + region.RegionSize;
            if (begin <= ownFramesEnd && ownFramesEnd < end) begin = ownFramesEnd;
            result.windowsRewritten +=
                SubstituteRange(reinterpret_cast<uint8_t*>(begin), end - begin, pairs);
            result.regionsScanned += 1;
            result.bytesScanned += end - begin;
        }
        address += region.RegionSize;
    }
    return result;
}

WalkResult ApplySwap() {
    return WalkPrivateWritableMemory(ApplyChain(SwapSettings));
}

WalkResult RestoreSwap() {
    return WalkPrivateWritableMemory(RestoreChain(SwapSettings));
}
