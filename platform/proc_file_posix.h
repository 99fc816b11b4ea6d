#pragma once
// For the bodies off Windows alone: where the kernel describes a process, under /proc.
// Inline, so that the bodies which use it stay apart: the tests' stand-in replaces some.

#include <cstdint>
#include <string>

namespace platform {

// "/proc/PID/leaf": the file `leaf` of process `pid`; with an empty leaf, its folder.
inline std::string ProcFile(uint32_t pid, const char* leaf) {
    return "/proc/" + std::to_string(pid) + "/" + leaf;
}

} // namespace platform
