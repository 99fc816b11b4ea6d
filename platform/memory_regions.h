#pragma once
// The process's own address space, region by region, in the terms the walk decides by.
// Stateless: the plug-in calls it on its script thread, the tools on their main thread.

#include <cstddef>
#include <cstdint>

namespace platform {

// Who may do what with a region's pages. Executable memory is one kind, whatever else it
// allows: the walk never takes it.
enum class Access : uint8_t { kNone, kReadOnly, kReadWrite, kWriteCopy, kExecutable };

struct RegionKind {
    bool committed = false; // backed by memory, not free or only reserved
    bool isPrivate = false; // the process's own, not a view of a file or section or a program
    Access access = Access::kNone;
    bool guarded = false;  // its first touch faults, as a stack's growth page does
    bool uncached = false; // uncached or write-combined, as a device's memory is
};

// One region of the address space: pages alike from `base` for `size` bytes.
struct Region {
    uintptr_t base = 0;
    size_t size = 0;
    RegionKind kind;
};

inline uintptr_t RegionEnd(const Region& region) {
    return region.base + region.size;
}

struct AddressRange {
    uintptr_t lowest;
    uintptr_t highest;
};

// Lowest and highest addresses that the process's own allocations can occupy.
AddressRange ApplicationAddressRange();
// Describes the region that contains `address`; false when the query fails.
bool QueryRegion(uintptr_t address, Region& region);
// The size of a page: the smallest unit whose protection can change on its own.
size_t PageSize();
// The calling thread's stack (a fiber's own on a fiber): lowest committed address to top.
AddressRange ThreadStack();

// Takes the regions of [from, to) lowest first: query(address, region) describes the region
// holding `address`; visit(region) returns where to query next, RegionEnd(region) or an earlier
// address to ask again about the rest. False when a query fails or describes no bytes.
template <typename Query, typename Visit>
bool ForEachRegion(uintptr_t from, uintptr_t to, Query query, Visit visit) {
    for (uintptr_t address = from; address < to;) {
        Region region;
        if (!query(address, region) || region.size == 0) return false;
        address = visit(region);
    }
    return true;
}

} // namespace platform
