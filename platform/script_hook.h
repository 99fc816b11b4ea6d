#pragma once
// The script hook's exports, the plug-in's one way into the game. scriptRegister and
// scriptUnregister run on the loader thread, from the module entry; the rest on the hook's
// script thread.

#include <cstdint>

namespace platform {

using ModuleHandle = void*;
using ScriptFunction = void (*)();

// Registers `script` to be run by the hook on its script thread.
void scriptRegister(ModuleHandle module, ScriptFunction script);
// Ends and forgets every script the module registered.
void scriptUnregister(ModuleHandle module);
// Suspends the script and lets the game run; 0 yields until the next frame.
void scriptWait(uint32_t milliseconds);
// Begins a call of the game native with this 64-bit hash.
void nativeInit(uint64_t nativeHash);
// Appends one argument to the call begun by nativeInit.
void nativePush64(uint64_t argument);
// Runs the call; returns a pointer to its 64-bit result.
uint64_t* nativeCall();

} // namespace platform
