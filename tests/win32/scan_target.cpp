// The stand-in game that ostrevane.exe scans under Wine: plants scan_target.h's hashes in
// memory of every kind a game has, says "ready" on stdout, and waits for stdin to end.
#include "tests/scan_target.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>

namespace {

constexpr size_t kSmall = 64 * 1024;

// Image memory written at run time: the process's own copy of the page, still image memory.
uint8_t imageBytes[2 * scan_target::kLoneOffset] = {1};

uint8_t* Commit(size_t size, DWORD protect = PAGE_READWRITE) {
    return static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, protect));
}

uint8_t* PlantLone(uint8_t* at) {
    std::memcpy(at + scan_target::kLoneOffset, scan_target::kLoneHash, 4);
    return at;
}

void Protect(uint8_t* at, DWORD protect) {
    DWORD previous;
    VirtualProtect(at, kSmall, protect, &previous);
}

} // namespace

int main() {
    scan_target::FillDense(Commit(scan_target::kDenseSize));
    PlantLone(Commit(kSmall));

    Protect(PlantLone(Commit(kSmall)), PAGE_READONLY);
    Protect(PlantLone(Commit(kSmall)), PAGE_READWRITE | PAGE_GUARD);
    PlantLone(Commit(kSmall, PAGE_EXECUTE_READWRITE));
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        DWORD(kSmall), nullptr);
    PlantLone(static_cast<uint8_t*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0)));
    PlantLone(imageBytes);

    DWORD count;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "ready\n", 6, &count, nullptr);
    char ignored;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &ignored, 1, &count, nullptr) && count == 1) {
    }
    return 0;
}
