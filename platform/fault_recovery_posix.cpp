// Real faults on pages a test unmaps or protects, caught by a signal handler and left with
// siglongjmp, so the walk's recovery runs natively and under the sanitizers as in the game.
#include "platform/fault_recovery.h"

#include <atomic>
#include <pthread.h>
#include <setjmp.h>
#include <signal.h>

namespace {

// The walk in progress. The handler reads it on any thread that faults; only the walk's own
// thread, inside RunGuarded, finds `guarding` set and itself in `thread`.
struct Walk {
    std::atomic<bool> begun = false; // from BeginFaultRecovery to EndFaultRecovery
    pthread_t thread;
    struct sigaction previousSegv;
    struct sigaction previousBus;
    volatile sig_atomic_t guarding = 0;
    volatile uintptr_t begin = 0;
    volatile uintptr_t end = 0;
    volatile uintptr_t faultAddress = 0;
    sigjmp_buf landing;
};
Walk walk;

// A fault that is not the walk's goes to whoever handled the signal before, as if this
// handler were not there; a default action is restored, so the instruction faults again
// and the process ends as it would have.
void PassOn(int signal, siginfo_t* info, void* context) {
    struct sigaction& previous = signal == SIGSEGV ? walk.previousSegv : walk.previousBus;
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
    if (walk.guarding && pthread_equal(pthread_self(), walk.thread) && walk.begin <= address &&
        address < walk.end) {
        walk.guarding = 0;
        walk.faultAddress = address;
        siglongjmp(walk.landing, 1);
    }
    PassOn(signal, info, context);
}

} // namespace

namespace platform {

bool BeginFaultRecovery() {
    // A walk in progress keeps its thread and the handlers it saved: a second walk would
    // take over the thread and save this handler as the one to restore.
    if (walk.begun.exchange(true)) return false;
    walk.thread = pthread_self();
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    // Not blocked inside the handler: the jump out of it leaves the signal mask as it is,
    // and sigsetjmp need not save the mask, which would cost a system call per region.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGSEGV, &action, &walk.previousSegv) == 0) {
        if (sigaction(SIGBUS, &action, &walk.previousBus) == 0) return true;
        sigaction(SIGSEGV, &walk.previousSegv, nullptr);
    }
    walk.begun = false;
    return false;
}

void EndFaultRecovery() {
    if (!walk.begun) return;
    sigaction(SIGSEGV, &walk.previousSegv, nullptr);
    sigaction(SIGBUS, &walk.previousBus, nullptr);
    walk.begun = false;
}

bool RunGuarded(GuardedFunction function, void* context, uintptr_t begin, uintptr_t end,
                uintptr_t& faultAddress) {
    if (sigsetjmp(walk.landing, 0) == 0) {
        walk.begin = begin;
        walk.end = end;
        walk.guarding = 1;
        function(context);
        walk.guarding = 0;
        return true;
    }
    faultAddress = walk.faultAddress;
    return false;
}

} // namespace platform
