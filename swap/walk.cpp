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

} // namespace

bool IsWalkedRegion(const platform::Region& region) {
    return region.State == platform::kMemCommit && region.Type == platform::kMemPrivate &&
           (region.Protect == platform::kPageReadWrite ||
            region.Protect == platform::kPageWriteCopy);
}

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
    const platform::AddressRange range = platform::ApplicationAddressRange();
    for (uintptr_t address = range.lowest; address < range.highest;) {
        platform::Region region;
        if (!platform::QueryRegion(address, region) || region.RegionSize == 0) break;
        if (IsWalkedRegion(region)) {
            uintptr_t begin = region.BaseAddress;
            const uintptr_t end = begin + region.RegionSize;
            if (begin <= ownFrame && ownFrame < end) begin = std::clamp(ownFramesEnd, begin, end);
            result.windowsRewritten +=
                SubstituteRange(reinterpret_cast<uint8_t*>(begin), end - begin, pairs);
            result.regionsScanned += 1;
            result.bytesScanned += end - begin;
        }
        address += region.RegionSize;
    }
    return result;
}
