// GCC has no structured exception handling, so a vectored handler, first in line while the
// walk runs, moves a thread faulting in the walk to a landing function that jumps back into
// RunGuarded. The jump restores only the frame and stack pointers and the resume address, and
// nothing is unwound; the walk's registers survive it because GCC saves every callee-saved
// register in a function that calls __builtin_setjmp.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/fault_recovery.h"
#include "platform/region_win32.h"

#include <atomic>

namespace {

// The walk in progress. The handler reads it on any thread that faults; only the walk's own
// thread, inside RunGuarded, finds `guarding` set and its own id in `thread`.
struct Walk {
    std::atomic<bool> begun = false; // from BeginFaultRecovery to EndFaultRecovery
    void* handler = nullptr;
    DWORD thread = 0;
    volatile bool guarding = false;
    volatile uintptr_t begin = 0;
    volatile uintptr_t end = 0;
    volatile uintptr_t faultAddress = 0;
    volatile DWORD faultCode = 0;
    void* landing[5];
};
Walk walk;

// The faulting thread arrives here instead of retrying the instruction that faulted.
[[noreturn]] __attribute__((noinline)) void LandAfterFault() {
    __builtin_longjmp(walk.landing, 1);
}

bool IsWalkFault(const EXCEPTION_RECORD& record) {
    switch (record.ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case STATUS_GUARD_PAGE_VIOLATION:
        break;
    default:
        return false;
    }
    if (!walk.guarding || GetCurrentThreadId() != walk.thread || record.NumberParameters < 2) {
        return false;
    }
    const uintptr_t address = record.ExceptionInformation[1];
    return walk.begin <= address && address < walk.end;
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception) {
    if (!IsWalkFault(*exception->ExceptionRecord)) return EXCEPTION_CONTINUE_SEARCH;
    walk.guarding = false;
    walk.faultAddress = exception->ExceptionRecord->ExceptionInformation[1];
    walk.faultCode = exception->ExceptionRecord->ExceptionCode;
    // Enter the landing function as if the faulting instruction had called it, so that a
    // stack walk from there finds the interrupted frame where it was.
    CONTEXT& context = *exception->ContextRecord;
    const DWORD64 stack = context.Rsp - 8;
    *reinterpret_cast<DWORD64*>(stack) = context.Rip;
    context.Rsp = stack;
    context.Rip = reinterpret_cast<DWORD64>(&LandAfterFault);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The system clears a guard page's flag as it raises the violation; the game's own stack
// growth or watch logic still counts on it.
void RestoreGuard(uintptr_t address) {
    MEMORY_BASIC_INFORMATION info;
    if (!platform::QueryRegionInformation(address, info)) return;
    if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) != 0) return;
    DWORD previous;
    VirtualProtect(reinterpret_cast<LPVOID>(address), 1, info.Protect | PAGE_GUARD, &previous);
}

} // namespace

namespace platform {

bool BeginFaultRecovery() {
    // A walk in progress keeps its handler and its thread: a second walk would take over
    // the thread, and its handler would outlive the first EndFaultRecovery.
    if (walk.begun.exchange(true)) return false;
    walk.thread = GetCurrentThreadId();
    walk.handler = AddVectoredExceptionHandler(1, OnException);
    if (walk.handler == nullptr) walk.begun = false;
    return walk.handler != nullptr;
}

void EndFaultRecovery() {
    if (!walk.begun) return;
    RemoveVectoredExceptionHandler(walk.handler);
    walk.handler = nullptr;
    walk.begun = false;
}

bool RunGuarded(GuardedFunction function, void* context, uintptr_t begin, uintptr_t end,
                uintptr_t& faultAddress) {
    if (__builtin_setjmp(walk.landing) == 0) {
        walk.begin = begin;
        walk.end = end;
        walk.guarding = true;
        function(context);
        walk.guarding = false;
        return true;
    }
    faultAddress = walk.faultAddress;
    if (walk.faultCode == STATUS_GUARD_PAGE_VIOLATION) RestoreGuard(faultAddress);
    return false;
}

} // namespace platform
