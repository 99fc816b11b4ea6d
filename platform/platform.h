#pragma once
// The one seam between the portable core and the world outside it: the script hook's
// exports, and keys, files and memory in neutral terms. Each function has one body per
// platform, all in this folder: on Windows, script_hook_win32.cpp (the hook, for the
// plug-in alone), platform_win32.cpp and fault_recovery_win32.cpp; off Windows,
// keyboard_posix.cpp (for the ostrevane command), platform_posix.cpp (files and pages) and
// fault_recovery_posix.cpp; in the native tests, the stand-in (tests/standin.cpp) with the
// last two.
// Nothing here includes another folder.
//
// Threads. The hook's calls belong to the plug-in: scriptRegister and scriptUnregister on the
// loader thread, from the module entry; the rest on the hook's script thread. The key, file
// and memory calls keep no state of their own: the plug-in makes them on its script thread,
// and the ostrevane command and the demonstration on their main thread. Fault recovery holds
// one walk at a time, on the thread that began it (see BeginFaultRecovery).

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

using ModuleHandle = void*;
using ScriptFunction = void (*)();

// --- Script hook -------------------------------------------------------------------

// Registers `script` to be run by the hook on its script thread.
void scriptRegister(ModuleHandle module, ScriptFunction script);
// Ends and forgets every script the module registered.
void scriptUnregister(ModuleHandle module);
// Suspends the script and lets the game run; 0 yields until the next frame.
void scriptWait(uint32_t milliseconds);
// Begins a call of the game native with this 64-bit hash.
void nativeInit(uint64_t nativeHash);
// Appends one argument to the call begun by nativeInit.
void nativePush64(uint64_t argument);
// Runs the call; returns a pointer to its 64-bit result.
uint64_t* nativeCall();

// --- Keyboard ----------------------------------------------------------------------

// Whether the key with this virtual-key code is down now.
bool KeyIsDown(int virtualKey);
// The virtual-key code of the key that types `character` in the current keyboard layout,
// whatever shift it needs; none when no key types it.
std::optional<int> KeyForCharacter(char character);

// --- Files -------------------------------------------------------------------------

// Whether anything, a file or a folder, is at `path`; false also when the system cannot tell
// (bad path, access refused).
bool PathExists(const char* path);

// --- Memory ------------------------------------------------------------------------

// Who may do what with a region's pages. Executable memory is one kind, whatever else it
// allows: the walk never takes it.
enum class Access : uint8_t { kNone, kReadOnly, kReadWrite, kWriteCopy, kExecutable };

// What a region holds, in the terms the walk decides by.
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

// Where `region` ends, and the next region begins.
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

// Takes the regions of [from, to) lowest first: query(address, region) describes the region
// that holds `address`, and visit(region) returns where the next query goes, RegionEnd(region)
// or, to ask again about the rest of the region, an address before it. False when a query
// failed, or described no bytes, before `to`.
template <typename Query, typename Visit>
bool ForEachRegion(uintptr_t from, uintptr_t to, Query query, Visit visit) {
    for (uintptr_t address = from; address < to;) {
        Region region;
        if (!query(address, region) || region.size == 0) return false;
        address = visit(region);
    }
    return true;
}
// The calling thread's stack (a fiber's own, on a fiber): from its lowest committed address
// up to its top.
AddressRange ThreadStack();

// --- Faults in the walk -------------------------------------------------------------
// The game's other threads free, decommit and re-protect memory while the walk runs, so a
// page can change between the query that describes it and the pass that rewrites it. A walk
// makes one BeginFaultRecovery, then any number of RunGuarded on the same thread, then one
// EndFaultRecovery.

// Makes faults in RunGuarded recoverable on the calling thread until EndFaultRecovery.
// Every other exception, on any thread, goes on to the game's own handlers as before.
// False when recovery could not be set up, or another walk has begun and not ended (that
// walk goes on unchanged); then nothing must be rewritten, and EndFaultRecovery not called.
bool BeginFaultRecovery();
// Undoes BeginFaultRecovery; does nothing when no walk has begun.
void EndFaultRecovery();

using GuardedFunction = void (*)(void* context);
// Runs function(context), which reads and writes only [begin, end). True when it ran to its
// end. False when an access violation, in-page error or guard-page violation at an address
// in that range cut it short: `faultAddress` is that address, and a guard page the function
// tripped is a guard page again. Only between BeginFaultRecovery and EndFaultRecovery.
bool RunGuarded(GuardedFunction function, void* context, uintptr_t begin, uintptr_t end,
                uintptr_t& faultAddress);

} // namespace platform
