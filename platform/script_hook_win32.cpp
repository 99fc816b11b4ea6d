#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/script_hook.h"

// MSVC decorates these declarations into exactly the names the hook exports; for GCC the
// import library binds the plain names (cmake/script_hook_import.cmake).
#ifdef _MSC_VER
#define OSTREVANE_HOOK_API __declspec(dllimport)
#else
#define OSTREVANE_HOOK_API extern "C" __declspec(dllimport)
#endif
OSTREVANE_HOOK_API void scriptRegister(HMODULE module, void (*script)());
OSTREVANE_HOOK_API void scriptUnregister(HMODULE module);
OSTREVANE_HOOK_API void scriptWait(DWORD milliseconds);
OSTREVANE_HOOK_API void nativeInit(UINT64 hash);
OSTREVANE_HOOK_API void nativePush64(UINT64 value);
OSTREVANE_HOOK_API PUINT64 nativeCall();

namespace platform {

void scriptRegister(ModuleHandle module, ScriptFunction script) {
    ::scriptRegister(static_cast<HMODULE>(module), script);
}

void scriptUnregister(ModuleHandle module) {
    ::scriptUnregister(static_cast<HMODULE>(module));
}

void scriptWait(uint32_t milliseconds) {
    ::scriptWait(milliseconds);
}

void nativeInit(uint64_t nativeHash) {
    ::nativeInit(nativeHash);
}

void nativePush64(uint64_t argument) {
    ::nativePush64(argument);
}

uint64_t* nativeCall() {
    return reinterpret_cast<uint64_t*>(::nativeCall());
}

} // namespace platform
