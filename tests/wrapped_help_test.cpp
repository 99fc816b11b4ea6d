// Help as an 80-column terminal shows it: no line longer, no word broken across two.
#include "cli/ostrevane.h"
#include "cli/wrapped_help.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(WrappedHelp, WrapsAtBlanksUnderTheDescriptionColumnAndKeepsEveryWord) {
    const std::string table = "  --settings FILE   The settings file (default: Ostrevane.ini in "
                              "the game's current folder, where the plug-in reads it)\n";
    const std::string plain = "Count the settings' items in a running game's memory and say what "
                              "the toggle key would do there now.\n";
    const std::string longWord = "  x   " + std::string(90, 'w') + " tail\n";
    const std::string help = "Usage: short line\n" + table + plain + longWord;
    const std::string wrapped = WrappedHelp(help);
    EXPECT_EQ(Words(wrapped), Words(help));
    const std::vector<std::string> lines = Lines(wrapped);
    ASSERT_EQ(lines.size(), 7u) << wrapped;
    EXPECT_EQ(lines[0], "Usage: short line");
    EXPECT_EQ(lines[2].find_first_not_of(' '), 20u) << "under the description";
    EXPECT_EQ(lines[4], "would do there now.");
    EXPECT_EQ(lines[6], std::string(6, ' ') + "tail") << "a word too long for a line stands alone";
    for (size_t i = 0; i < 5; ++i)
        EXPECT_LE(lines[i].size(), 80u) << lines[i];
    EXPECT_EQ(WrappedHelp("no line feed"), "no line feed");
}

TEST(WrappedHelp, EveryCommandsHelpFitsEightyColumns) {
    for (const char* command : {"", "check", "list", "set", "default", "hash", "swap", "scan"}) {
        std::vector<const char*> argv = {"ostrevane"};
        if (*command) argv.push_back(command);
        argv.push_back("--help");
        std::ostringstream out, err;
        EXPECT_EQ(RunOstrevane(int(argv.size()), argv.data(), out, err), 0);
        for (const std::string& line : Lines(out.str()))
            EXPECT_LE(line.size(), 80u) << command << ": " << line;
    }
}
