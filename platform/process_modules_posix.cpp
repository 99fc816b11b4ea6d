#include "platform/process_modules.h"

#include "platform/proc_file_posix.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace platform {

bool LoadedModules(uint32_t pid, std::vector<std::string>& files) {
    files.clear();
    std::ifstream maps(ProcFile(pid, "maps"));
    if (!maps) return false;
    // Each line: range, permissions, offset, device, inode, then the mapped file's path.
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode, path;
        fields >> range >> perms >> offset >> device >> inode;
        std::getline(fields >> std::ws, path);
        if (path.empty() || path.front() != '/') continue;
        const std::string file = path.substr(path.find_last_of('/') + 1);
        if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    }
    return true;
}

std::string SystemLibraryFolder() {
    return "";
}

} // namespace platform
