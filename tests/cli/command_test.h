#pragma once
// What the tests of the ostrevane command share: running a command line in-process, as main()
// would, in a game folder of the test's own, and the settings files they start from.

#include "check/check.h"
#include "cli/check/check_words.h"
#include "cli/command.h"
#include "cli/ostrevane.h"
#include "platform/keyboard.h"
#include "platform/process_memory.h"
#include "settings/default_settings.h"
#include "settings/key_names.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "settings_file/suggest.h"
#include "swap/byte_rarity.h"
#include "swap/engines.h"
#include "swap/swap.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdio_ext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs one ostrevane command line in-process, as main() would.
inline int RunTo(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    args.insert(args.begin(), "ostrevane");
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    return RunOstrevane(int(argv.size()), argv.data(), out, err);
}

inline Outcome Ostrevane(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunTo(args, out, err);
    return {status, out.str(), err.str()};
}

// Output that fails as a full disk does: taken into a buffer, refused at the flush.
class FullDisk : public std::streambuf {
  public:
    FullDisk() { setp(buffer_, buffer_ + sizeof buffer_); }

  private:
    int overflow(int) override { return traits_type::eof(); }
    int sync() override { return -1; }
    char buffer_[1 << 16];
};

inline std::string Fixture(const std::string& name) {
    return std::string(OSTREVANE_FIXTURES) + "/" + name;
}

inline std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// clean.ini: settings on lines 1-10, [Shake] on 12, [NewShakeLoop] on 16, [DOF] on 20
// (DOF05 on 21), [Camera] on 24 (Camera15 on 26). Every name resolves; no warnings.
inline std::string Clean() {
    return Read(Fixture("clean.ini"));
}

// The clean file, or `file`, with line `number` (1-based) replaced by `text`.
inline std::string CleanWithLine(size_t number, const std::string& text,
                                 std::string file = Clean()) {
    size_t start = 0;
    for (size_t line = 1; line < number; ++line)
        start = file.find('\n', start) + 1;
    return file.replace(start, file.find('\n', start) - start, text);
}

inline std::string HexHashOf(uint32_t hash) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(hash));
    return text;
}

inline std::string DefaultFile(std::string_view ending = "\n") {
    std::string text;
    for (std::string_view line : DefaultSettingsLines)
        (text += line) += ending;
    return text;
}

inline bool Mentions(const std::vector<CheckWarning>& warnings, std::string_view words) {
    return std::any_of(warnings.begin(), warnings.end(), [&](const CheckWarning& w) {
        return FindingWords(w).find(words) != std::string::npos;
    });
}

inline std::string Describe(const std::vector<CheckWarning>& warnings) {
    std::string text;
    for (const CheckWarning& w : warnings)
        text += std::to_string(w.line) + ": " + FindingWords(w) + "\n";
    return text;
}

class OstrevaneCommand : public GameFolderTest {};
