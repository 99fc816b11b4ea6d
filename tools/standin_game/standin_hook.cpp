// The stand-in for the script hook. It runs each registered script on a fiber of its
// own, a frame at a time, as the real hook runs scripts on the game's script thread, and
// records every call the plug-in makes so that tests can check them afterwards.
#define STANDIN_HOOK_BUILD
#include "tools/standin_game/standin_hook.h"

#include "platform/subtitle_natives.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Script {
    HMODULE module;
    void (*function)();
    void* fiber = nullptr;
    uint64_t wakeAtMs = 0;
    bool returned = false;
    bool unregistered = false;
};

std::vector<std::unique_ptr<Script>> scripts;
std::vector<StandInEvent> events;
uint64_t nowMs = 0;
void* gameFiber = nullptr;
Script* running = nullptr;
LARGE_INTEGER sliceStart;

// The native call being assembled by nativeInit and nativePush64.
uint64_t nativeHash = 0;
std::vector<uint64_t> nativeArguments;
// The subtitle being composed between the begin and end text commands.
bool composing = false;
std::string composed;

StandInEvent& Record(StandInEventKind kind) {
    StandInEvent event{};
    event.kind = kind;
    event.virtualMs = nowMs;
    events.push_back(event);
    return events.back();
}

bool IsReadable(const MEMORY_BASIC_INFORMATION& info) {
    constexpr DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return info.State == MEM_COMMIT && (info.Protect & readable) != 0 &&
           (info.Protect & PAGE_GUARD) == 0;
}

// Copies the zero-terminated string at `address` as the game would read it. A bad pointer
// from the plug-in must show up as a failed check, not as a crash of the whole test.
void CopyText(uint64_t address, char (&out)[kStandInTextSize]) {
    const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(address));
    const char* readableEnd = text;
    size_t length = 0;
    while (length + 1 < kStandInTextSize) {
        if (text + length >= readableEnd) {
            MEMORY_BASIC_INFORMATION info;
            if (VirtualQuery(text + length, &info, sizeof info) == 0 || !IsReadable(info)) {
                std::strcpy(out, "<unreadable>");
                return;
            }
            readableEnd = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        }
        if (text[length] == '\0') break;
        out[length] = text[length];
        ++length;
    }
    out[length] = '\0';
}

void ShowOnScreen(const StandInEvent& call) {
    if (call.nativeHash == kNativeBeginTextCommandPrint) {
        composing = true;
        composed.clear();
    } else if (call.nativeHash == kNativeAddTextComponentString && composing) {
        composed += call.text;
    } else if (call.nativeHash == kNativeEndTextCommandPrint && composing) {
        composing = false;
        StandInEvent& subtitle = Record(kStandInSubtitle);
        std::strncpy(subtitle.text, composed.c_str(), kStandInTextSize - 1);
        subtitle.durationMs = call.argumentCount > 0 ? uint32_t(call.arguments[0]) : 0;
    }
}

void WINAPI RunScript(void* parameter) {
    auto* script = static_cast<Script*>(parameter);
    script->function();
    // Scripts are not meant to return; a fiber must never return, so park this one.
    script->returned = true;
    for (;;)
        SwitchToFiber(gameFiber);
}

void ForgetUnregisteredScripts() {
    for (auto it = scripts.begin(); it != scripts.end();) {
        Script& script = **it;
        if (script.unregistered && &script != running) {
            // The fiber is simply dropped where it waits, as the hook drops a script whose
            // module is going away; nothing of it runs again.
            if (script.fiber) DeleteFiber(script.fiber);
            it = scripts.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

// --- The six exports the plug-in imports (named in standin_hook.def) ------------------

extern "C" void StandInScriptRegister(HMODULE module, void (*function)()) {
    StandInEvent& event = Record(kStandInRegister);
    event.module = module;
    event.script = reinterpret_cast<void*>(function);
    auto script = std::make_unique<Script>();
    script->module = module;
    script->function = function;
    script->wakeAtMs = nowMs;
    scripts.push_back(std::move(script));
}

extern "C" void StandInScriptUnregister(HMODULE module) {
    Record(kStandInUnregister).module = module;
    for (auto& script : scripts) {
        if (script->module == module) script->unregistered = true;
    }
    if (!running) ForgetUnregisteredScripts(); // else once the frame is over
}

extern "C" void StandInScriptWait(DWORD milliseconds) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    StandInEvent& event = Record(kStandInWait);
    event.waitMs = milliseconds;
    if (!running) return; // not called from a script: there is nothing to suspend
    event.sliceMicros =
        uint64_t((now.QuadPart - sliceStart.QuadPart) * 1000000 / frequency.QuadPart);
    running->wakeAtMs = nowMs + milliseconds;
    SwitchToFiber(gameFiber);
}

extern "C" void StandInNativeInit(uint64_t hash) {
    nativeHash = hash;
    nativeArguments.clear();
}

extern "C" void StandInNativePush64(uint64_t argument) {
    nativeArguments.push_back(argument);
}

extern "C" uint64_t* StandInNativeCall() {
    StandInEvent& call = Record(kStandInNativeCall);
    call.nativeHash = nativeHash;
    call.argumentCount = uint32_t(nativeArguments.size());
    for (size_t i = 0; i < nativeArguments.size() && i < kStandInMaxArguments; ++i) {
        call.arguments[i] = nativeArguments[i];
    }
    if ((nativeHash == kNativeBeginTextCommandPrint ||
         nativeHash == kNativeAddTextComponentString) &&
        !nativeArguments.empty()) {
        CopyText(nativeArguments[0], call.text);
    }
    const StandInEvent copy = call; // ShowOnScreen may record, moving `call`
    ShowOnScreen(copy);
    nativeArguments.clear();
    static uint64_t result;
    result = 0;
    return &result;
}

// --- What the stand-in game uses ------------------------------------------------------

void StandInRunFrame(uint32_t frameMs) {
    nowMs += frameMs;
    // The game's own thread becomes the fiber every script switches back to.
    if (!gameFiber) gameFiber = ConvertThreadToFiber(nullptr);
    if (!gameFiber) return;
    // By index: a script may register another while it runs.
    for (size_t i = 0; i < scripts.size(); ++i) {
        Script* script = scripts[i].get();
        if (script->returned || script->unregistered || nowMs < script->wakeAtMs) continue;
        if (!script->fiber) script->fiber = CreateFiber(0, RunScript, script);
        if (!script->fiber) continue;
        running = script;
        QueryPerformanceCounter(&sliceStart);
        SwitchToFiber(script->fiber);
        running = nullptr;
    }
    ForgetUnregisteredScripts();
}

uint64_t StandInNowMs() {
    return nowMs;
}

size_t StandInScriptCount() {
    size_t count = 0;
    for (const auto& script : scripts)
        count += !script->unregistered;
    return count;
}

size_t StandInEventCount() {
    return events.size();
}

bool StandInGetEvent(size_t index, StandInEvent* event) {
    if (index >= events.size() || !event) return false;
    *event = events[index];
    return true;
}

void StandInClearEvents() {
    events.clear();
}
