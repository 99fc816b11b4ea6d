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
// The folder the process `reader` would open a relative file name in, and how it was found;
// false when neither folder can be read.
bool ProcessFolder(const ProcessReader& reader, std::string& folder, FolderSource& source);

} // namespace platform
