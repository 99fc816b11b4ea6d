#pragma once
// Surviving faults in the walk's own memory pass. The game's other threads free, decommit
// and re-protect memory while the walk runs, so a page can change between the query that
// describes it and the pass that rewrites it. A walk makes one BeginFaultRecovery, then any
// number of RunGuarded on the same thread, then one EndFaultRecovery; one walk at a time.

#include <cstdint>

namespace platform {

// Makes faults in RunGuarded recoverable on this thread until EndFaultRecovery; other
// exceptions, on any thread, go on to the game's handlers. False when setup failed or another
// walk is in progress (it goes on unchanged): rewrite nothing, and skip EndFaultRecovery.
bool BeginFaultRecovery();
// Undoes BeginFaultRecovery; does nothing when no walk has begun.
void EndFaultRecovery();

using GuardedFunction = void (*)(void* context);
// Runs function(context), which touches only [begin, end); true when it ran to its end. False
// when an access violation, in-page error or guard-page violation in that range cut it short:
// `faultAddress` is where, and a tripped guard page is a guard page again. Only inside a walk.
bool RunGuarded(GuardedFunction function, void* context, uintptr_t begin, uintptr_t end,
                uintptr_t& faultAddress);

} // namespace platform
