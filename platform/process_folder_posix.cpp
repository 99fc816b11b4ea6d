#include "platform/proc_file_posix.h"
#include "platform/process_folder.h"

#include <filesystem>

namespace platform {

bool ProcessFolder(const ProcessReader& reader, std::string& folder, FolderSource& source) {
    std::error_code error;
    const std::filesystem::path current =
        std::filesystem::read_symlink(ProcFile(reader.pid, "cwd"), error);
    if (!error) {
        folder = current.string();
        source = FolderSource::kCurrentFolder;
        return true;
    }
    const std::filesystem::path program =
        std::filesystem::read_symlink(ProcFile(reader.pid, "exe"), error);
    if (error) return false;
    folder = program.parent_path().string();
    source = FolderSource::kProgramFolder;
    return true;
}

} // namespace platform
