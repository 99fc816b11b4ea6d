// Wine answers to a name Windows' ntdll never exports.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/wine.h"

namespace platform {

bool RunsUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace platform
