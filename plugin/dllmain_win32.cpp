// The module entry: the hook's plug-in loader loads us into the game, and we hand the
// script to the hook. Runs on the loader thread, so it does nothing else.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/script_hook.h"
#include "plugin/script.h"

BOOL APIENTRY DllMain(HMODULE module, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        platform::scriptRegister(module, ScriptMain);
        break;
    case DLL_PROCESS_DETACH:
        // No restore: the game's memory stays as the last press left it.
        platform::scriptUnregister(module);
        break;
    default:
        break;
    }
    return TRUE;
}
