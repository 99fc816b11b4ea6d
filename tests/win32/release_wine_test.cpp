// Run in the game folder the release zip was just extracted into: the plug-in loads from
// there and writes its default settings file, and ostrevane.exe runs there as a player types
// it in a command prompt opened in that folder.
#include "tools/standin_game/host.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

struct Ran {
    int status;
    std::string output;
};

// Runs a command line through the command prompt in the current folder.
Ran Prompt(const char* line) {
    Ran ran{-1, ""};
    FILE* pipe = _popen(line, "r");
    if (!pipe) return ran;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        ran.output += buffer;
    ran.status = _pclose(pipe);
    return ran;
}

} // namespace

TEST(Release, InstallsIntoAnEmptyGameFolder) {
    host::Start();
    const std::filesystem::path asi = std::filesystem::current_path() / OSTREVANE_PLUGIN_FILE;
    HMODULE plugin = LoadLibraryW(asi.c_str());
    ASSERT_NE(plugin, nullptr) << "error " << GetLastError();
    host::RunFrames(1); // the script's first frame reads the settings
    EXPECT_TRUE(host::UnloadPlugin(plugin));
    EXPECT_EQ(host::ReadBytes("Ostrevane.ini").substr(0, 12), "[Settings]\r\n");

    const Ran version = Prompt("ostrevane --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("Ostrevane " OSTREVANE_VERSION ", swap engine on this CPU: ", 0),
              0u)
        << version.output;

    const Ran check = Prompt("ostrevane check");
    EXPECT_EQ(check.status, 0) << check.output;
}
