// /proc/PID/maps describes the mappings, /proc/PID/mem reads them. A mapping is described as
// the game's memory of the same use would be, so the walk's filter picks what it would there:
// only anonymous private memory is the process's own, not shared nor private file mappings.
#include "platform/proc_file_posix.h"
#include "platform/process_folder.h"
#include "platform/process_memory.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

Access AccessOf(const char* perms) {
    if (perms[2] == 'x') return Access::kExecutable;
    if (perms[0] != 'r') return Access::kNone; // write-only: the game's pages never are
    return perms[1] == 'w' ? Access::kReadWrite : Access::kReadOnly;
}

// One line of /proc/PID/maps.
struct Mapping {
    unsigned long long begin = 0, end = 0, inode = 0;
    char perms[5] = {};
    std::string_view file; // its name without folders; empty for anonymous memory
};

// Calls `take` for each mapping of process `pid` until it returns false; false when the
// list could not be read.
bool ForEachMapping(uint32_t pid, const std::function<bool(const Mapping&)>& take) {
    std::ifstream maps(ProcFile(pid, "maps"));
    if (!maps) return false;
    std::string line;
    while (std::getline(maps, line)) {
        Mapping mapping;
        if (std::sscanf(line.c_str(), "%llx-%llx %4s %*s %*s %llu", &mapping.begin, &mapping.end,
                        mapping.perms, &mapping.inode) != 4) {
            continue;
        }
        const size_t slash = line.rfind('/');
        if (slash != std::string::npos) mapping.file = std::string_view(line).substr(slash + 1);
        if (!take(mapping)) return true;
    }
    return !maps.bad();
}

// Whether the process maps a file of Wine's: then the game is a Windows program, whose heaps
// and images Wine lays out in ways the maps cannot tell apart (sections loaded into anonymous
// memory, neighbouring allocations merged in one mapping).
bool RunByWine(uint32_t pid) {
    bool wine = false;
    ForEachMapping(pid, [&](const Mapping& mapping) {
        wine = IsWineRuntimeFile(mapping.file);
        return !wine;
    });
    return wine;
}

// The kernel's limit on reading other processes of the same user: 0 none; 1 only a
// program's own descendants; 2 only with the right to trace (root); 3 none at all.
int TraceRestriction() {
    int scope = 0;
    std::ifstream("/proc/sys/kernel/yama/ptrace_scope") >> scope;
    return scope;
}

// Whether the process belongs to the user running this one.
bool OwnProcess(uint32_t pid) {
    struct stat info;
    return ::stat(ProcFile(pid, "").c_str(), &info) == 0 && info.st_uid == ::getuid();
}

} // namespace

bool IsWineRuntimeFile(std::string_view file) {
    return file == "ntdll.so" || (file.starts_with("wine") && file.ends_with("-preloader"));
}

ProcessOpening OpenProcessForReading(uint32_t pid, ProcessReader& reader) {
    const int fd = open(ProcFile(pid, "mem").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ESRCH) return ProcessOpening::kNoSuchProcess;
        if (errno == EACCES || errno == EPERM) {
            const int scope = OwnProcess(pid) ? TraceRestriction() : 0;
            if (scope <= 0) return ProcessOpening::kAccessRefused;
            if (scope == 1) return ProcessOpening::kKernelAllowsOnlyDescendants;
            return scope == 2 ? ProcessOpening::kKernelAllowsOnlyTracers
                              : ProcessOpening::kKernelAllowsNone;
        }
        return ProcessOpening::kFailed;
    }
    reader = {pid, fd};
    if (!ProcessIsRunning(reader)) {
        CloseProcessReader(reader);
        return ProcessOpening::kNoSuchProcess;
    }
    if (RunByWine(pid)) {
        CloseProcessReader(reader);
        return ProcessOpening::kRunByWine;
    }
    return ProcessOpening::kOpened;
}

void CloseProcessReader(ProcessReader& reader) {
    if (reader.handle >= 0) close(int(reader.handle));
    reader.handle = -1;
}

std::vector<uint32_t> FindProcesses(const std::string& name) {
    std::vector<uint32_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string leaf = entry.path().filename().string();
        if (leaf.find_first_not_of("0123456789") != std::string::npos) continue;
        const auto pid = uint32_t(std::stoul(leaf));
        // The program file's name, or the short name the process goes by (all there is for
        // another user's process, and what a script's interpreter is known by).
        std::error_code linkError;
        const std::string program =
            std::filesystem::read_symlink(ProcFile(pid, "exe"), linkError).filename().string();
        std::string shortName, commandName;
        std::getline(std::ifstream(ProcFile(pid, "comm")), shortName);
        // The short name is cut to 15 bytes, and a Wine game's program file is Wine's loader:
        // its own name, as Windows knows it, is the first word of its command line.
        std::getline(std::ifstream(ProcFile(pid, "cmdline")), commandName, '\0');
        commandName = commandName.substr(commandName.find_last_of("/\\") + 1);
        if (program == name || shortName == name || commandName == name) found.push_back(pid);
    }
    return found;
}

std::vector<RunningProgram> ProgramsInFolder(const std::string& folder) {
    std::vector<RunningProgram> found;
    std::error_code error;
    const std::filesystem::path wanted = std::filesystem::weakly_canonical(folder, error);
    if (error) return found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string leaf = entry.path().filename().string();
        if (leaf.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::filesystem::path program = ProgramFile(uint32_t(std::stoul(leaf)));
        if (program.empty() || program.parent_path() != wanted) continue;
        found.push_back({uint32_t(std::stoul(leaf)), program.filename().string()});
    }
    return found;
}

RegionListing ProcessRegions(const ProcessReader& reader, std::vector<Region>& regions) {
    regions.clear();
    const bool listed = ForEachMapping(reader.pid, [&](const Mapping& mapping) {
        const RegionKind kind = {.committed = true,
                                 .isPrivate = mapping.perms[3] != 's' && mapping.inode == 0,
                                 .access = AccessOf(mapping.perms)};
        regions.push_back({uintptr_t(mapping.begin), size_t(mapping.end - mapping.begin), kind});
        return true;
    });
    if (!ProcessIsRunning(reader)) {
        regions.clear();
        return RegionListing::kExited;
    }
    return listed ? RegionListing::kComplete : RegionListing::kQueryFailed;
}

bool ReadProcessBytes(const ProcessReader& reader, uintptr_t address, void* buffer, size_t size) {
    auto* to = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = pread(int(reader.handle), to, size, off_t(address));
        if (got <= 0) return false;
        to += got;
        address += size_t(got);
        size -= size_t(got);
    }
    return true;
}

bool ProcessIsRunning(const ProcessReader& reader) {
    // A process that has exited but is not yet reaped keeps its /proc entry, as a zombie.
    std::ifstream stat(ProcFile(reader.pid, "stat"));
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 >= text.size()) return false;
    const char state = text[nameEnd + 2];
    return state != 'Z' && state != 'X' && state != 'x';
}

} // namespace platform
