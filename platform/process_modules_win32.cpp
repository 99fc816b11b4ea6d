#include "platform/process_modules.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <tlhelp32.h>

namespace platform {

bool LoadedModules(uint32_t pid, std::vector<std::string>& files) {
    files.clear();
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(snapshot, &module); more;
         more = ::Module32NextW(snapshot, &module)) {
        char name[MAX_PATH * 3] = "";
        ::WideCharToMultiByte(CP_ACP, 0, module.szModule, -1, name, int(sizeof name), nullptr,
                              nullptr);
        files.emplace_back(name);
    }
    ::CloseHandle(snapshot);
    return true;
}

std::string SystemLibraryFolder() {
    char folder[MAX_PATH * 3] = "";
    const UINT size = ::GetSystemDirectoryA(folder, UINT(sizeof folder));
    return size > 0 && size < sizeof folder ? std::string(folder, size) : std::string();
}

} // namespace platform
