#include "platform/process_memory.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <tlhelp32.h>

#include "platform/region_win32.h"

namespace platform {

namespace {

HANDLE HandleOf(const ProcessReader& reader) {
    return reinterpret_cast<HANDLE>(reader.handle);
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
