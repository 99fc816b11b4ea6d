#pragma once
// A stand-in for the script hook, the game and Windows, so the core can be driven and
// observed in native tests: a simulated address space over real buffers, which `ostrevane
// scan` reads as another process, a keyboard the test scripts frame by frame, and a host
// that records every call on a virtual clock.

#include "platform/memory_regions.h"
#include "platform/script_hook.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// Forgets every region, key script, record and registration, and rewinds the clock.
void Reset();

// --- Address space -----------------------------------------------------------------

// Committed private read-write memory, as the game's heaps are.
constexpr platform::RegionKind kHeap = {
    .committed = true, .isPrivate = true, .access = platform::Access::kReadWrite};
// Makes [base, base + size) a region of the simulated address space.
void AddRegion(void* base, size_t size, platform::RegionKind kind = kHeap);
// Forgets the region that starts at `base`, as if it had been freed.
void RemoveRegion(void* base);
// Every query at or above `address` fails, as a query of a vanished region would.
void FailQueriesFrom(uintptr_t address);
// Called after each query has been answered, with the queried address: another thread of
// the game changing memory between the walk's query and its pass over the region.
void SetQueryHook(std::function<void(uintptr_t address)> hook);
// The script thread's stack, as ThreadStack reports it; none by default.
void SetStack(uintptr_t lowest, uintptr_t highest);
// By default the application range runs from the lowest region to the end of the highest.
void SetApplicationRange(uintptr_t lowest, uintptr_t highest);

// --- Keyboard ----------------------------------------------------------------------

// Says whether `virtualKey` is down during `frame` (the count of scriptWait calls so far).
using KeyScript = std::function<bool(int virtualKey, uint64_t frame)>;
void SetKeyScript(KeyScript script);
// Every key code the script polled, in order.
const std::vector<int>& PolledKeys();
// Upper-case letters that no key types, in either case, as on a layout without them; the
// layout is a US one otherwise, and answers as the system's does.
void SetUntypableLetters(std::string letters);

// --- Another process ---------------------------------------------------------------

// The id of the stand-in game that `ostrevane scan` reads: its memory is the simulated
// address space, listed by queries as the system lists it. Every other id names no process.
constexpr uint32_t kGamePid = 4242;

// --- Host --------------------------------------------------------------------------

struct NativeCall {
    uint64_t hash;
    std::vector<uint64_t> arguments;
    std::string text; // the string argument of the two text natives, copied at the call
};
struct Subtitle {
    std::string text;
    uint64_t shownAtMs;
    uint64_t durationMs;
};
struct Wait {
    uint32_t milliseconds;
    uint64_t startedAtMs;
};

const std::vector<NativeCall>& NativeCalls();
const std::vector<Subtitle>& Subtitles();
const std::vector<Wait>& Waits();
uint64_t NowMs();
uint64_t Frame();
// Scripts registered and not yet unregistered.
const std::vector<platform::ScriptFunction>& RegisteredScripts();

// Forgets the recorded calls, waits, subtitles and polled keys, keeping everything else.
void ClearRecords();

// A frame of the game: even scriptWait(0) lets this much virtual time pass.
constexpr uint64_t kFrameMs = 16;

// Called at every scriptWait, after the clock has moved: lets a test act between frames.
void SetFrameHook(std::function<void(uint64_t frame)> hook);

// Runs `script` as the hook would, and ends it once `frames` scriptWait calls have been
// made. Returns normally in either case.
void RunScript(platform::ScriptFunction script, uint64_t frames);

} // namespace standin
