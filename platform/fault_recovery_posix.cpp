// Fault recovery for the native stand-in: real faults on pages that a test unmaps or
// protects, caught with a signal handler and left with siglongjmp, so the walk's recovery
// runs natively and under the sanitizers as it does in the game.
#include "platform/platform.h"

#include <pthread.h>
#include <setjmp.h>
#include <signal.h>

namespace {

pthread_t walkThread;
struct sigaction previousSegv;
struct sigaction previousBus;
volatile sig_atomic_t scanning = 0;
volatile uintptr_t scanBegin = 0;
volatile uintptr_t scanEnd = 0;
volatile uintptr_t faultAddress = 0;
sigjmp_buf landing;

// A fault that is not the scan's goes to whoever handled the signal before, as if this
// handler were not there; a default action is restored, so the instruction faults again
// and the process ends as it would have.
void PassOn(int signal, siginfo_t* info, void* context) {
    struct sigaction& previous = signal == SIGSEGV ? previousSegv : previousBus;
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        sigaction(signal, &previous, nullptr);
    }
}

void OnFault(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    if (scanning && pthread_equal(pthread_self(), walkThread) && scanBegin <= address &&
        address < scanEnd) {
        scanning = 0;
        faultAddress = address;
        siglongjmp(landing, 1);
    }
    PassOn(signal, info, context);
}

} // namespace

namespace platform {

bool BeginFaultRecovery() {
    walkThread = pthread_self();
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    // Not blocked inside the handler: the jump out of it leaves the signal mask as it is,
    // and sigsetjmp need not save the mask, which would cost a system call per scan.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGSEGV, &action, &previousSegv) != 0) return false;
    if (sigaction(SIGBUS, &action, &previousBus) != 0) {
        sigaction(SIGSEGV, &previousSegv, nullptr);
        return false;
    }
    return true;
}

void EndFaultRecovery() {
    sigaction(SIGSEGV, &previousSegv, nullptr);
    sigaction(SIGBUS, &previousBus, nullptr);
}

bool GuardedScan(ScanFunction scan, void* context, uintptr_t begin, uintptr_t end,
                 uintptr_t& fault) {
    if (sigsetjmp(landing, 0) == 0) {
        scanBegin = begin;
        scanEnd = end;
        scanning = 1;
        scan(context);
        scanning = 0;
        return true;
    }
    fault = faultAddress;
    return false;
}

} // namespace platform
