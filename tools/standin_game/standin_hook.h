#pragma once
// The stand-in for the script hook, as ScriptHookV.dll: the plug-in imports its six
// exports by their decorated names, and the stand-in game (host.cpp) drives it and reads
// what it recorded through the plain C functions below. Plain C types only, so the
// record crosses between the DLL and the programs whatever their runtimes.

#include <cstddef>
#include <cstdint>

#ifdef STANDIN_HOOK_BUILD
#define STANDIN_HOOK_API extern "C"
#else
#define STANDIN_HOOK_API extern "C" __declspec(dllimport)
#endif

enum StandInEventKind : int32_t {
    kStandInRegister = 1, // scriptRegister: module, script
    kStandInUnregister,   // scriptUnregister: module
    kStandInWait,         // scriptWait: waitMs, sliceMicros
    kStandInNativeCall,   // nativeCall: nativeHash, arguments, text
    kStandInSubtitle,     // a subtitle the game put on screen: text, durationMs
};

constexpr size_t kStandInMaxArguments = 8;
constexpr size_t kStandInTextSize = 256;

struct StandInEvent {
    int32_t kind;
    uint64_t virtualMs; // the game clock when it happened
    void* module;
    void* script;
    uint32_t waitMs;
    // Real time the script ran between being resumed and this wait, in microseconds.
    uint64_t sliceMicros;
    uint64_t nativeHash;
    uint32_t argumentCount; // as pushed; only the first kStandInMaxArguments are kept
    uint64_t arguments[kStandInMaxArguments];
    // For the two text natives, the string the first argument pointed to, copied at the
    // call; for a subtitle, the text shown. Cut to fit, always zero-terminated.
    char text[kStandInTextSize];
    uint32_t durationMs; // subtitle only
};

// One frame of the game: moves the clock on by `frameMs`, then resumes every registered
// script whose wait has ended, each on its own fiber, until it waits again. Call from
// one thread only, never from inside a script.
STANDIN_HOOK_API void StandInRunFrame(uint32_t frameMs);
// The game clock: the sum of all frames run so far, in milliseconds.
STANDIN_HOOK_API uint64_t StandInNowMs();
// Scripts registered and not unregistered.
STANDIN_HOOK_API size_t StandInScriptCount();
// Number of events recorded since the start or the last StandInClearEvents.
STANDIN_HOOK_API size_t StandInEventCount();
// Copies event `index` into `event`; false when there is no such event.
STANDIN_HOOK_API bool StandInGetEvent(size_t index, StandInEvent* event);
// Forgets the recorded events; the clock and the scripts stay.
STANDIN_HOOK_API void StandInClearEvents();
