#pragma once
// Reading another process's memory, for `ostrevane scan`, with query and read rights only, so
// nothing here can change the game; regions come in the walk's record, for the walk's filter.

#include "platform/memory_regions.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An opened process: `handle` is its Windows handle, or elsewhere the /proc/PID/mem descriptor.
struct ProcessReader {
    uint32_t pid = 0;
    intptr_t handle = -1;
};

// kRunByWine: a Windows program that Wine (or Proton) runs, whose Windows memory only a
// Windows program in the same Wine prefix sees as the game does. kKernelAllows...: Linux's
// limit on reading another process of the same user (its ptrace scope) refused it.
enum class ProcessOpening {
    kOpened,
    kNoSuchProcess,
    kAccessRefused,
    kKernelAllowsOnlyDescendants, // a program may read only the processes it started
    kKernelAllowsOnlyTracers,     // only a program with the right to trace may read another
    kKernelAllowsNone,            // no program may read another until the next restart
    kRunByWine,
    kFailed
};

// Opens process `pid` for querying and reading only; `reader` is set when kOpened.
ProcessOpening OpenProcessForReading(uint32_t pid, ProcessReader& reader);
// Releases what OpenProcessForReading took.
void CloseProcessReader(ProcessReader& reader);

// Ids of running processes whose program file, folders aside, is `name` (any case on Windows).
std::vector<uint32_t> FindProcesses(const std::string& name);

// A running program: its process id and its program file's name, without folders.
struct RunningProgram {
    uint32_t pid;
    std::string file;
};
// The running programs whose program file sits directly in `folder`, compared as the system
// compares paths (any case on Windows); empty when none, or when the system cannot tell.
std::vector<RunningProgram> ProgramsInFolder(const std::string& folder);

enum class RegionListing {
    kComplete,
    kExited,      // the process ended: `regions` is empty
    kQueryFailed, // it runs, but a query failed: `regions` holds those listed before it
};
// Every region of the process's address space, lowest first, as the process sees it now.
RegionListing ProcessRegions(const ProcessReader& reader, std::vector<Region>& regions);

// Copies `size` bytes from `address` in the process; false unless every byte was read.
bool ReadProcessBytes(const ProcessReader& reader, uintptr_t address, void* buffer, size_t size);

// False once the process has exited.
bool ProcessIsRunning(const ProcessReader& reader);

} // namespace platform
