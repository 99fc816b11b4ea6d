#pragma once
// Another process's folders, so `ostrevane scan` finds the settings file where the plug-in would.

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

} // namespace platform
