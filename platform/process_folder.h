#pragma once
// Another process's folders, so `ostrevane scan` finds the settings file where the plug-in would,
// and `ostrevane doctor` the folder of the game's program.

#include "platform/process_memory.h"

#include <string>

namespace platform {

// Where a process finds a file it names without a folder, as the plug-in names its settings.
enum class FolderSource {
    kCurrentFolder, // the process's own current folder: on Windows from its process parameters
    kProgramFolder, // the folder of its program file, when the current one cannot be read
};
// Where `reader`'s process opens relative file names, and how that was found; false if unreadable.
bool ProcessFolder(const ProcessReader& reader, std::string& folder, FolderSource& source);

// The full path of process `pid`'s program file, as this system names it: for a Windows
// program that Wine runs, the .exe's, not Wine's loader's; "" when it cannot be told.
std::string ProgramFile(uint32_t pid);

} // namespace platform
