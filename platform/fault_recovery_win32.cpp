// Fault recovery on Windows. GCC has no structured exception handling, so a vectored
// handler, first in line while the walk runs, takes the walk's own faults: it moves the
// faulting thread to a landing function that jumps back into GuardedScan. The jump restores
// only the frame and stack pointers and the resume address, and nothing is unwound; the
// walk's registers survive it because GCC saves every callee-saved register in a function
// that calls __builtin_setjmp.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

namespace {

void* handler = nullptr;
DWORD walkThread = 0;
// The scan in progress; `scanning` is set only while GuardedScan runs it.
volatile bool scanning = false;
volatile uintptr_t scanBegin = 0;
volatile uintptr_t scanEnd = 0;
volatile uintptr_t faultAddress = 0;
volatile DWORD faultCode = 0;
void* landing[5];

// The faulting thread arrives here instead of retrying the instruction that faulted.
[[noreturn]] __attribute__((noinline)) void LandAfterFault() {
    __builtin_longjmp(landing, 1);
}

bool IsScanFault(const EXCEPTION_RECORD& record) {
    switch (record.ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case STATUS_GUARD_PAGE_VIOLATION:
        break;
    default:
        return false;
    }
    if (!scanning || GetCurrentThreadId() != walkThread || record.NumberParameters < 2) {
        return false;
    }
    const uintptr_t address = record.ExceptionInformation[1];
    return scanBegin <= address && address < scanEnd;
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception) {
    if (!IsScanFault(*exception->ExceptionRecord)) return EXCEPTION_CONTINUE_SEARCH;
    scanning = false;
    faultAddress = exception->ExceptionRecord->ExceptionInformation[1];
    faultCode = exception->ExceptionRecord->ExceptionCode;
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
    if (VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof info) == 0) return;
    if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) != 0) return;
    DWORD previous;
    VirtualProtect(reinterpret_cast<LPVOID>(address), 1, info.Protect | PAGE_GUARD, &previous);
}

} // namespace

namespace platform {

bool BeginFaultRecovery() {
    walkThread = GetCurrentThreadId();
    handler = AddVectoredExceptionHandler(1, OnException);
    return handler != nullptr;
}

void EndFaultRecovery() {
    if (handler) RemoveVectoredExceptionHandler(handler);
    handler = nullptr;
}

bool GuardedScan(ScanFunction scan, void* context, uintptr_t begin, uintptr_t end,
                 uintptr_t& fault) {
    if (__builtin_setjmp(landing) == 0) {
        scanBegin = begin;
        scanEnd = end;
        scanning = true;
        scan(context);
        scanning = false;
        return true;
    }
    fault = faultAddress;
    if (faultCode == STATUS_GUARD_PAGE_VIOLATION) RestoreGuard(fault);
    return false;
}

} // namespace platform
