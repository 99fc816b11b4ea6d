#include "platform/proc_file_posix.h"
#include "platform/process_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace platform {

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::string ProgramFile(uint32_t pid) {
    std::error_code error;
    const std::filesystem::path program =
        std::filesystem::read_symlink(ProcFile(pid, "exe"), error);
    if (error) return "";
    if (!program.filename().string().starts_with("wine")) return program.string();
    // Wine's loader runs a Windows program, which it names as the first word of the command
    // line and maps from its file: the mapping of that name is where the program is.
    std::string command;
    std::getline(std::ifstream(ProcFile(pid, "cmdline")), command, '\0');
    const std::string name = command.substr(command.find_last_of("/\\") + 1);
    std::ifstream maps(ProcFile(pid, "maps"));
    for (std::string line; !name.empty() && std::getline(maps, line);) {
        const size_t path = line.find('/'); // no field before the path holds one
        if (path == std::string::npos) continue;
        const std::filesystem::path file = line.substr(path);
        if (SameNameIgnoringCase(file.filename().string(), name)) return file.string();
    }
    return program.string();
}

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
