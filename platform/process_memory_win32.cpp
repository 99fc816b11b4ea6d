#include "platform/process_memory.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <tlhelp32.h>

#include <iterator>

#include "platform/region_win32.h"

namespace platform {

namespace {

HANDLE HandleOf(const ProcessReader& reader) {
    return reinterpret_cast<HANDLE>(reader.handle);
}

// A folder as the system spells it whole, without a closing backslash; "" when it has none.
std::wstring FullFolder(const std::string& folder) {
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, folder.data(), int(folder.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, folder.data(), int(folder.size()), wide.data(), length);
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    full.resize(::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
    while (!full.empty() && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    return full;
}

std::string NarrowName(const std::wstring& wide) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string narrow(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), narrow.data(), size,
                              nullptr, nullptr);
    return narrow;
}

} // namespace

ProcessOpening OpenProcessForReading(uint32_t pid, ProcessReader& reader) {
    // Waiting on it is how its end is told apart from a game that returns 259 (STILL_ACTIVE).
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_INVALID_PARAMETER) return ProcessOpening::kNoSuchProcess;
        if (error == ERROR_ACCESS_DENIED) return ProcessOpening::kAccessRefused;
        return ProcessOpening::kFailed;
    }
    reader = {pid, reinterpret_cast<intptr_t>(process)};
    // A process that has exited stays openable while anyone holds a handle to it.
    if (!ProcessIsRunning(reader)) {
        CloseProcessReader(reader);
        return ProcessOpening::kNoSuchProcess;
    }
    return ProcessOpening::kOpened;
}

void CloseProcessReader(ProcessReader& reader) {
    if (reader.handle != -1) ::CloseHandle(HandleOf(reader));
    reader.handle = -1;
}

std::vector<uint32_t> FindProcesses(const std::string& name) {
    std::vector<uint32_t> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry)) {
        if (::lstrcmpiA(entry.szExeFile, name.c_str()) == 0) found.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return found;
}

std::vector<RunningProgram> ProgramsInFolder(const std::string& folder) {
    std::vector<RunningProgram> found;
    const std::wstring wanted = FullFolder(folder);
    if (wanted.empty()) return found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        // The snapshot names the file alone; its folder takes the program's full image name.
        HANDLE process =
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (process == nullptr) continue;
        wchar_t image[MAX_PATH * 4];
        DWORD size = DWORD(std::size(image));
        const BOOL named = ::QueryFullProcessImageNameW(process, 0, image, &size);
        ::CloseHandle(process);
        if (!named) continue;
        const std::wstring path(image, size);
        const size_t slash = path.find_last_of(L"\\/");
        if (slash == std::wstring::npos) continue;
        if (::CompareStringOrdinal(path.c_str(), int(slash), wanted.c_str(), int(wanted.size()),
                                   TRUE) != CSTR_EQUAL) {
            continue;
        }
        found.push_back({entry.th32ProcessID, NarrowName(path.substr(slash + 1))});
    }
    ::CloseHandle(snapshot);
    return found;
}

RegionListing ProcessRegions(const ProcessReader& reader, std::vector<Region>& regions) {
    const auto query = [&reader](uintptr_t address, Region& region) {
        MEMORY_BASIC_INFORMATION info;
        if (::VirtualQueryEx(HandleOf(reader), reinterpret_cast<LPCVOID>(address), &info,
                             sizeof info) == 0) {
            return false;
        }
        region = RegionFrom(info);
        return true;
    };
    regions.clear();
    const AddressRange range = ApplicationAddressRange();
    const bool listed =
        ForEachRegion(range.lowest, range.highest, query, [&regions](const Region& region) {
            regions.push_back(region);
            return RegionEnd(region);
        });
    if (!ProcessIsRunning(reader)) {
        regions.clear();
        return RegionListing::kExited;
    }
    // Below the highest address every query has an answer, free memory included: a failure
    // in a running process is a refused or broken query, not the end of the list.
    return listed ? RegionListing::kComplete : RegionListing::kQueryFailed;
}

bool ReadProcessBytes(const ProcessReader& reader, uintptr_t address, void* buffer, size_t size) {
    SIZE_T read = 0;
    return ::ReadProcessMemory(HandleOf(reader), reinterpret_cast<LPCVOID>(address), buffer, size,
                               &read) &&
           read == size;
}

bool ProcessIsRunning(const ProcessReader& reader) {
    return ::WaitForSingleObject(HandleOf(reader), 0) == WAIT_TIMEOUT;
}

} // namespace platform
