#include "tools/standin_game/churn.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>
#include <cstring>

namespace host {

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kSlots = 16;

// In the test's image, where the walk never looks.
struct Slot {
    uint8_t* base;
    size_t size;
};
Slot slots[kSlots];
uint32_t planted[2];
std::atomic<bool> churning;
std::atomic<long> operations;
HANDLE thread = nullptr;
DWORD threadId = 0;
void* guardHandler = nullptr;
uint64_t state = 0x9E3779B97F4A7C15;

uint64_t Random() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

void Allocate(Slot& slot) {
    slot.size = kPage * (16 + Random() % 496);
    slot.base = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, slot.size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    for (size_t i = Random() % 64; slot.base && i + 4 <= slot.size; i += 61)
        std::memcpy(slot.base + i, &planted[i % 3 == 0], 4);
}

void Change(Slot& slot) {
    const size_t pages = slot.size / kPage;
    const size_t first = Random() % pages;
    uint8_t* part = slot.base + first * kPage;
    const size_t size = (1 + Random() % (pages - first)) * kPage;
    DWORD previous;
    switch (Random() % 7) {
    case 0:
        VirtualFree(slot.base, 0, MEM_RELEASE);
        slot = {};
        break;
    case 1:
        VirtualFree(part, size, MEM_DECOMMIT);
        break;
    case 2:
        VirtualAlloc(part, size, MEM_COMMIT, PAGE_READWRITE);
        break;
    case 3:
        VirtualProtect(part, size, PAGE_READONLY, &previous);
        break;
    case 4:
        VirtualProtect(part, size, PAGE_NOACCESS, &previous);
        break;
    case 5:
        VirtualProtect(part, size, PAGE_READWRITE | PAGE_GUARD, &previous);
        break;
    case 6:
        VirtualProtect(part, size, PAGE_READWRITE, &previous);
        break;
    }
}

// A game that makes guard pages handles their faults. The walk puts back the guard flag of a
// page it trips; when this thread has freed and reused that page in the microseconds
// between, its own first write there meets the flag.
LONG CALLBACK PassOwnGuardPages(EXCEPTION_POINTERS* exception) {
    const bool own = exception->ExceptionRecord->ExceptionCode == STATUS_GUARD_PAGE_VIOLATION &&
                     GetCurrentThreadId() == threadId;
    return own ? EXCEPTION_CONTINUE_EXECUTION : EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI Churn(void*) {
    while (churning) {
        Slot& slot = slots[Random() % kSlots];
        slot.base ? Change(slot) : Allocate(slot);
        ++operations;
        if (Random() % 8 == 0) Sleep(0);
    }
    return 0;
}

} // namespace

void StartChurn(uint32_t first, uint32_t second) {
    planted[0] = first;
    planted[1] = second;
    operations = 0;
    churning = true;
    guardHandler = AddVectoredExceptionHandler(0, PassOwnGuardPages);
    thread = CreateThread(nullptr, 0, Churn, nullptr, 0, &threadId);
}

long StopChurn() {
    if (!thread) return operations;
    churning = false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
    RemoveVectoredExceptionHandler(guardHandler);
    for (Slot& slot : slots) {
        if (slot.base) VirtualFree(slot.base, 0, MEM_RELEASE);
        slot = {};
    }
    return operations;
}

} // namespace host
