#pragma once
// The one seam between the portable core and the world outside it: the script hook's
// exports and the few Windows calls the plug-in makes. Each function has one body per
// platform, all in this folder: on Windows, script_hook_win32.cpp (the hook, for the
// plug-in alone), platform_win32.cpp and fault_recovery_win32.cpp; off Windows,
// platform_posix.cpp (key names, files and pages, for the ostrevane command) and
// fault_recovery_posix.cpp; in the native tests, the stand-in (tests/standin.cpp) with those two.
// Nothing here includes another folder.
// Everything here is called on the hook's script thread, except scriptRegister and
// scriptUnregister, which the module entry calls on the loader thread.

#include <cstddef>
#include <cstdint>

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

// Bit 15 of the result is set while the key with this virtual-key code is down.
int16_t AsyncKeyState(int virtualKey);
// Low byte: the virtual-key code that types `character` in the current keyboard layout;
// -1 when no key types it.
int16_t KeyScan(char character);

// --- Files -------------------------------------------------------------------------

constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
// The file system's attribute bits for `path`, or kInvalidFileAttributes when it cannot
// tell (missing file, bad path, access refused).
uint32_t FileAttributes(const char* path);

// --- Memory ------------------------------------------------------------------------

// One region of the address space, as the system describes it.
struct Region {
    uintptr_t BaseAddress;
    size_t RegionSize;
    uint32_t State;
    uint32_t Protect;
    uint32_t Type;
};

constexpr uint32_t kMemCommit = 0x1000;
constexpr uint32_t kMemReserve = 0x2000;
constexpr uint32_t kMemFree = 0x10000;
constexpr uint32_t kMemPrivate = 0x20000;
constexpr uint32_t kMemMapped = 0x40000;
constexpr uint32_t kMemImage = 0x1000000;
constexpr uint32_t kPageReadOnly = 0x02;
constexpr uint32_t kPageReadWrite = 0x04;
constexpr uint32_t kPageWriteCopy = 0x08;
constexpr uint32_t kPageExecuteReadWrite = 0x40;
constexpr uint32_t kPageGuard = 0x100;

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
// The calling thread's stack (a fiber's own, on a fiber): from its lowest committed address
// up to its top.
AddressRange ThreadStack();

// --- Faults in the walk -------------------------------------------------------------
// The game's other threads free, decommit and re-protect memory while the walk runs, so a
// page can change between the query that describes it and the scan that reads it.

// Makes faults in GuardedScan recoverable on the calling thread until EndFaultRecovery.
// Every other exception, on any thread, goes on to the game's own handlers as before.
// False when recovery could not be set up; then nothing must be scanned.
bool BeginFaultRecovery();
// Undoes BeginFaultRecovery.
void EndFaultRecovery();

using ScanFunction = void (*)(void* context);
// Runs scan(context), which reads and writes only [begin, end). True when it ran to its
// end. False when an access violation, in-page error or guard-page violation at an address
// in that range cut it short: `faultAddress` is that address, and a guard page the scan
// tripped is a guard page again. Only between BeginFaultRecovery and EndFaultRecovery.
bool GuardedScan(ScanFunction scan, void* context, uintptr_t begin, uintptr_t end,
                 uintptr_t& faultAddress);

} // namespace platform
