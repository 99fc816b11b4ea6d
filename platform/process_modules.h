#pragma once
// What another process has loaded, and where Windows keeps its own libraries: for
// `ostrevane doctor`, which asks whether the game has loaded the plug-in.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The file names, without folders, of the modules process `pid` has loaded (on Windows its
// DLLs and program; elsewhere every file it has mapped); false when they cannot be listed.
bool LoadedModules(uint32_t pid, std::vector<std::string>& files);

// The folder Windows loads its own libraries from (its System32), or "" where this program
// runs on no Windows.
std::string SystemLibraryFolder();

} // namespace platform
