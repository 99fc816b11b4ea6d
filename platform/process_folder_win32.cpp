// No system call hands out another process's current folder: it lives in the process's own
// parameters, which its environment block points to. The program file's folder is the fallback.
#include "platform/process_folder.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace platform {

namespace {

// The 64-bit layouts: the basic information the system returns, where the environment
// block keeps the parameters, and where the parameters keep the current folder's path.
struct BasicInformation {
    LONG exitStatus;
    PVOID environmentBlock;
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR processId;
    ULONG_PTR parentProcessId;
};
constexpr uintptr_t kParametersInEnvironmentBlock = 0x20;
constexpr uintptr_t kCurrentFolderInParameters = 0x38;
struct CountedPath { // a counted wide string: length in bytes, no terminating zero
    USHORT length;
    USHORT maximumLength;
    ULONG padding;
    uintptr_t buffer;
};

using QueryInformation = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

template <typename T> bool ReadValue(const ProcessReader& reader, uintptr_t address, T& value) {
    return ReadProcessBytes(reader, address, &value, sizeof value);
}

// The narrow form every other path of the command takes; false when a character has none.
bool Narrow(const std::wstring& wide, std::string& narrow) {
    if (wide.empty()) return false;
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                           int(wide.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return false;
    narrow.assign(size_t(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()),
                          narrow.data(), size, nullptr, &lossy);
    return !lossy;
}

bool CurrentFolder(const ProcessReader& reader, std::wstring& folder) {
    const auto process = reinterpret_cast<HANDLE>(reader.handle);
    const auto query = reinterpret_cast<QueryInformation>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    BasicInformation basic{};
    ULONG size = 0;
    if (query == nullptr || query(process, 0, &basic, sizeof basic, &size) < 0 ||
        basic.environmentBlock == nullptr) {
        return false;
    }
    uintptr_t parameters = 0;
    CountedPath path{};
    if (!ReadValue(reader,
                   reinterpret_cast<uintptr_t>(basic.environmentBlock) +
                       kParametersInEnvironmentBlock,
                   parameters) ||
        parameters == 0 || !ReadValue(reader, parameters + kCurrentFolderInParameters, path) ||
        path.length == 0 || path.length % 2 != 0 || path.buffer == 0) {
        return false;
    }
    folder.assign(path.length / 2, L'\0');
    return ReadProcessBytes(reader, path.buffer, folder.data(), path.length);
}

bool ProgramFolder(HANDLE process, std::wstring& folder) {
    std::wstring program(32768, L'\0');
    DWORD size = DWORD(program.size());
    if (!::QueryFullProcessImageNameW(process, 0, program.data(), &size)) return false;
    program.resize(size);
    const size_t slash = program.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    folder = program.substr(0, slash + 1);
    return true;
}

} // namespace

std::string ProgramFile(uint32_t pid) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return "";
    std::wstring program(32768, L'\0');
    DWORD size = DWORD(program.size());
    const BOOL named = ::QueryFullProcessImageNameW(process, 0, program.data(), &size);
    ::CloseHandle(process);
    std::string narrow;
    if (!named) return "";
    program.resize(size);
    return Narrow(program, narrow) ? narrow : "";
}

bool ProcessFolder(const ProcessReader& reader, std::string& folder, FolderSource& source) {
    std::wstring wide;
    if (CurrentFolder(reader, wide) && Narrow(wide, folder)) {
        source = FolderSource::kCurrentFolder;
        return true;
    }
    if (ProgramFolder(reinterpret_cast<HANDLE>(reader.handle), wide) && Narrow(wide, folder)) {
        source = FolderSource::kProgramFolder;
        return true;
    }
    return false;
}

} // namespace platform
