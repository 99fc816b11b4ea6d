#pragma once
// For the bodies off Windows alone: where the kernel describes a process, under /proc.
// Inline, so that the bodies which use it stay apart: the tests' stand-in replaces some.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// "/proc/PID/leaf": the file `leaf` of process `pid`; with an empty leaf, its folder.
inline std::string ProcFile(uint32_t pid, const char* leaf) {
    return "/proc/" + std::to_string(pid) + "/" + leaf;
}

// Whether a mapped file's name, without folders, is wine-preloader, wine64-preloader or the
// Unix half of Wine's ntdll: then Wine runs the process.
bool IsWineRuntimeFile(std::string_view file);

} // namespace platform
