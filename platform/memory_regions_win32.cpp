#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/memory_regions.h"
#include "platform/region_win32.h"

#include <cstddef>

namespace platform {

namespace {

SYSTEM_INFO SystemInformation() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info;
}

} // namespace

AddressRange ApplicationAddressRange() {
    const SYSTEM_INFO info = SystemInformation();
    return {reinterpret_cast<uintptr_t>(info.lpMinimumApplicationAddress),
            reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress)};
}

size_t PageSize() {
    return SystemInformation().dwPageSize;
}

AddressRange ThreadStack() {
    // The system keeps the limit at the lowest committed page as the stack grows, and switches
    // both bounds with the fiber. Read from the thread's information block (GS on x64):
    // NtCurrentTeb's own read draws a false bounds warning from GCC.
    uintptr_t limit, base;
    asm volatile("movq %%gs:%c1, %0" : "=r"(limit) : "i"(offsetof(NT_TIB, StackLimit)));
    asm volatile("movq %%gs:%c1, %0" : "=r"(base) : "i"(offsetof(NT_TIB, StackBase)));
    return {limit, base};
}

Region RegionFrom(const MEMORY_BASIC_INFORMATION& info) {
    constexpr DWORD kModifiers = PAGE_GUARD | PAGE_NOCACHE | PAGE_WRITECOMBINE;
    Region region;
    region.base = reinterpret_cast<uintptr_t>(info.BaseAddress);
    region.size = info.RegionSize;
    region.kind.committed = info.State == MEM_COMMIT;
    region.kind.isPrivate = info.Type == MEM_PRIVATE;
    region.kind.guarded = (info.Protect & PAGE_GUARD) != 0;
    region.kind.uncached = (info.Protect & (PAGE_NOCACHE | PAGE_WRITECOMBINE)) != 0;
    // Any bit besides these leaves the access at none: memory the walk cannot account for.
    switch (info.Protect & ~kModifiers) {
    case PAGE_READONLY:
        region.kind.access = Access::kReadOnly;
        break;
    case PAGE_READWRITE:
        region.kind.access = Access::kReadWrite;
        break;
    case PAGE_WRITECOPY:
        region.kind.access = Access::kWriteCopy;
        break;
    case PAGE_EXECUTE:
    case PAGE_EXECUTE_READ:
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
        region.kind.access = Access::kExecutable;
        break;
    default:
        break;
    }
    return region;
}

bool QueryRegionInformation(uintptr_t address, MEMORY_BASIC_INFORMATION& info) {
    return ::VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof info) != 0;
}

bool QueryRegion(uintptr_t address, Region& region) {
    MEMORY_BASIC_INFORMATION info;
    if (!QueryRegionInformation(address, info)) return false;
    region = RegionFrom(info);
    return true;
}

} // namespace platform
