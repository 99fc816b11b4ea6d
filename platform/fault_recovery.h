#pragma once
// Surviving faults in the walk's own memory pass. The game's other threads free, decommit
// and re-protect memory while the walk runs, so a page can change between the query that
// describes it and the pass that rewrites it. A walk makes one BeginFaultRecovery, then any
// number of RunGuarded on the same thread, then one EndFaultRecovery; one walk at a time.

#include <cstdint>

namespace platform {

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
