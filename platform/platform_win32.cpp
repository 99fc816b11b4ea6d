// The Windows calls behind the seam, for every program that runs on Windows: the plug-in,
// ostrevane.exe and the demonstration. The hook's own exports are in script_hook_win32.cpp,
// so that programs without the hook can link these.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

#include <cstddef>

namespace platform {

int16_t AsyncKeyState(int virtualKey) {
    return ::GetAsyncKeyState(virtualKey);
}

int16_t KeyScan(char character) {
    return ::VkKeyScanA(character);
}

uint32_t FileAttributes(const char* path) {
    return ::GetFileAttributesA(path);
}

AddressRange ApplicationAddressRange() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return {reinterpret_cast<uintptr_t>(info.lpMinimumApplicationAddress),
            reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress)};
}

size_t PageSize() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info.dwPageSize;
}

AddressRange ThreadStack() {
    // The system keeps the limit at the lowest committed page as the stack grows, and
    // switches both bounds with the fiber.
    // Read straight from the thread's information block (GS on x64): NtCurrentTeb's own
    // read draws a false bounds warning from GCC.
    uintptr_t limit, base;
    asm volatile("movq %%gs:%c1, %0" : "=r"(limit) : "i"(offsetof(NT_TIB, StackLimit)));
    asm volatile("movq %%gs:%c1, %0" : "=r"(base) : "i"(offsetof(NT_TIB, StackBase)));
    return {limit, base};
}

bool QueryRegion(uintptr_t address, Region& region) {
    MEMORY_BASIC_INFORMATION info;
    if (::VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof info) == 0) {
        return false;
    }
    region = {reinterpret_cast<uintptr_t>(info.BaseAddress), info.RegionSize, info.State,
              info.Protect, info.Type};
    return true;
}

} // namespace platform
