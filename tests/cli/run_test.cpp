// The command line: help, mistakes, output that cannot be written, the version.
#include "cli/wrapped_help.h"
#include "cli/wrapped_output.h"
#include "tests/cli/command_test.h"

#include <iterator>
#include <regex>

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

// The option parser's own phrasing, which a player should never meet.
std::regex ParserWords() {
    return std::regex(
        R"(following options|Option Group|Excludes|Needs:|REQUIRED|SUBCOMMAND|Positionals|from \[)");
}

} // namespace

// A reader that stops early, as `more` does when quit, ends the command without a word.
TEST(OstrevaneCommandLine, AClosedPipeEndsTheCommandQuietly) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    std::fflush(stdout);
    const int saved = dup(1);
    dup2(ends[1], 1);
    close(ends[1]);
    const auto previous = signal(SIGPIPE, SIG_IGN);
    std::ostringstream err;
    const int status = RunTo({"default"}, std::cout, err);
    __fpurge(stdout);
    dup2(saved, 1);
    close(saved);
    signal(SIGPIPE, previous);
    std::clearerr(stdout);
    std::cout.clear();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err.str(), "");
}

TEST_F(OstrevaneCommand, EveryCommandFailsWhenItsOutputCannotBeWritten) {
    Write("clean.ini", Clean());
    Write("in.bin", "abcd");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", "clean.ini"},
          {"check", "--json", "clean.ini"},
          {"default"},
          {"default", "-o", "new.ini"},
          {"hash", "sky_diving_shake"},
          {"swap", "--apply", "--settings", "clean.ini", "in.bin", "out.bin"},
          {"--help"}}) {
        FullDisk disk;
        std::ostream out(&disk);
        std::ostringstream err;
        EXPECT_EQ(RunTo(args, out, err), 2) << args[0];
        EXPECT_NE(err.str().find("the output could not be written"), std::string::npos)
            << args[0] << ": " << err.str();
    }
}

TEST_F(OstrevaneCommand, VersionTimesTheEnginesOnPairsEvenWhereTheFileHereResolvesNone) {
    std::ofstream("Ostrevane.ini") << "[Settings]\noldshake=nothing\n";
    const Outcome version = Ostrevane({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find(std::string("swap engine on this CPU: ") + SubstituteEngineName()),
              std::string::npos)
        << version.out;
    for (const EngineTrialRecord& record : EngineTrials())
        EXPECT_EQ(std::count(record.nanos.begin(), record.nanos.end(), 0u), 0) << record.name;
}

TEST(OstrevaneCommandLine, HelpSucceedsAndMistakesFailWithAMessage) {
    for (const std::vector<std::string>& help : {std::vector<std::string>{"--help"},
                                                 {"check", "--help"},
                                                 {"default", "--help"},
                                                 {"hash", "--help"},
                                                 {"swap", "--help"}}) {
        const Outcome outcome = Ostrevane(help);
        EXPECT_EQ(outcome.status, 0) << help[0];
        EXPECT_NE(outcome.out.find("Usage:"), std::string::npos) << help[0];
    }
    EXPECT_NE(Ostrevane({"--help"}).out.find("check"), std::string::npos);
    EXPECT_NE(Ostrevane({"help"}).out.find("Usage:"), std::string::npos);
    EXPECT_NE(Ostrevane({"help", "swap"}).out.find("--force"), std::string::npos);
    EXPECT_NE(Ostrevane({"help", "list"}).out.find("Usage: ostrevane list "), std::string::npos);
    EXPECT_NE(Ostrevane({"chek"}).err.find("\"chek\" is not a command; did you mean \"check\"?\n"
                                           "Commands: check, list, set, default, hash, swap, "
                                           "scan, doctor."),
              std::string::npos);
    EXPECT_NE(Ostrevane({}).err.find("Commands: check,"), std::string::npos);
    // Each slip names its next step.
    EXPECT_NE(Ostrevane({"check", "--jsn"}).err.find("Run `ostrevane check --help`"),
              std::string::npos);
    EXPECT_NE(Ostrevane({"hash"}).err.find("ostrevane hash sky_diving_shake"), std::string::npos);
    EXPECT_NE(Ostrevane({"default", "--help"}).out.find("-o,--output FILE  "), std::string::npos);

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{},
                                                  {"chek"},
                                                  {"check", "--jsn"},
                                                  {"check", "a.ini", "b.ini"},
                                                  {"hash"},
                                                  {"default", "-o"},
                                                  {"help", "nosuch"},
                                                  {"default", "--lf", "--crlf"},
                                                  {"check", "a.ini", "--settings", "b.ini"},
                                                  {"swap", "in", "out"},
                                                  {"swap", "--apply", "--restore", "in", "out"},
                                                  {"scan", "--pid", "1", "--process", "x"},
                                                  {"doctor", "--pid", "1", "--process", "x"}}) {
        const Outcome outcome = Ostrevane(wrong);
        EXPECT_EQ(outcome.status, 2) << (wrong.empty() ? "" : wrong.back());
        EXPECT_FALSE(outcome.err.empty());
        EXPECT_FALSE(std::regex_search(outcome.err, ParserWords())) << outcome.err;
    }
    // What to give instead, in the player's words.
    for (const auto& [args, words] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"help", "chek"}, "\"chek\" is not a command; did you mean \"check\"?"},
             {{"scan", "--pid", "1", "--process", "x"}, "give --pid or --process, not both"},
             {{"swap", "in", "out"}, "give --apply or --restore\n"},
             {{"default", "-o"}, "give a FILE after --output"}}) {
        EXPECT_NE(Ostrevane(args).err.find(words), std::string::npos) << words;
    }
}

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
    // On a continued line a short word before a long one ends its line; carried on with the
    // long word, the line would run past 80 columns.
    const std::string shortThenLong =
        "  x   " + std::string(72, 'a') + " ab " + std::string(75, 'w') + " end\n";
    EXPECT_EQ(Lines(WrappedHelp(shortThenLong))[1], std::string(6, ' ') + "ab");
    // A quoted command moves to the next line whole; a lone backtick quotes nothing.
    const std::string quoted = std::string(70, 'a') + " `ostrevane --help` " + std::string(70, 'b');
    EXPECT_EQ(Lines(WrappedHelp(quoted))[1], "`ostrevane --help`");
    const std::string lone = std::string(60, 'a') + " `ostrevane --help --settings Ostrevane.ini";
    EXPECT_EQ(Lines(WrappedHelp(lone)).size(), 2u);
}

// A positional is named once, for what it is ("SECTION"), never followed by the parser's
// name of its type ("SECTION TEXT").
TEST(WrappedHelp, EveryCommandsHelpFitsEightyColumnsAndNamesEachPositionalOnce) {
    const std::regex typeAfterName("^  [A-Z]+ (TEXT|UINT|INT)( |$)");
    const std::regex parserWords = ParserWords();
    for (const char* command :
         {"", "check", "list", "set", "default", "hash", "swap", "scan", "doctor"}) {
        std::vector<const char*> argv = {"ostrevane"};
        if (*command) argv.push_back(command);
        argv.push_back("--help");
        std::ostringstream out, err;
        EXPECT_EQ(RunOstrevane(int(argv.size()), argv.data(), out, err), 0);
        EXPECT_EQ(out.str().find("--help"), out.str().rfind("--help")) << command;
        for (const std::string& line : Lines(out.str())) {
            EXPECT_LE(line.size(), 80u) << command << ": " << line;
            EXPECT_FALSE(std::regex_search(line, typeAfterName)) << command << ": " << line;
            EXPECT_FALSE(std::regex_search(line, parserWords)) << command << ": " << line;
        }
    }
}

// Each slip a player makes on the command line gets a next step that names what they meant.
// Every command that reads the settings file names it with --settings; check takes it alone
// too, and refuses both at once.
TEST_F(OstrevaneCommand, CheckNamesItsFileAsTheOtherCommandsDo) {
    Write("mine.ini", Clean());
    const Outcome named = Ostrevane({"check", "--settings", "mine.ini"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, Ostrevane({"check", "mine.ini"}).out);
    EXPECT_EQ(Ostrevane({"check", "mine.ini", "--settings", "mine.ini"}).status, 2);
}

// What the command prints to a terminal wraps as it is printed; a progress line redrawn in
// place passes as it is; JSON and the default file are never wrapped at all.
TEST(WrappedOutput, WrapsEachLineAsItEndsAndLeavesDataWhole) {
    const std::string message =
        "  line 163: a Ctrl-Z byte (0x1A) ends the file for the plug-in: nothing after it is "
        "read, so olddof, newdof, oldcamera and newcamera resolve to 0; remove the Ctrl-Z";
    std::ostringstream terminal;
    {
        WrappingBuffer buffer(terminal.rdbuf());
        std::ostream out(&buffer);
        out << message << "\n"
            << "\r  0.50 of 1.00 GB" << std::flush;
        EXPECT_EQ(terminal.str().substr(terminal.str().size() - 18), "\r  0.50 of 1.00 GB")
            << "a progress line shows at once";
        out << "\rdone\n";
        // 81 columns wrap; 80 fit.
        out << "  " << std::string(76, 'x') << " yy\n" << std::string(80, 'z') << "\n";
    }
    EXPECT_NE(terminal.str().find("\n  yy\n" + std::string(80, 'z') + "\n"), std::string::npos)
        << terminal.str();
    // The message's words, every one, on lines of at most 80 columns under its indent.
    const std::string shown = terminal.str().substr(0, terminal.str().find('\r'));
    std::istringstream lines(shown), original(message), wrapped(shown);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80u) << line;
        EXPECT_EQ(line.find_first_not_of(' '), 2u) << line;
    }
    using Words = std::vector<std::string>;
    EXPECT_EQ(Words(std::istream_iterator<std::string>(wrapped), {}),
              Words(std::istream_iterator<std::string>(original), {}));
    EXPECT_GT(std::count(shown.begin(), shown.end(), '\n'), 1) << "it was wrapped";
    const char* json[] = {"ostrevane", "scan", "--pid", "1", "--json"};
    const char* check[] = {"ostrevane", "check"};
    EXPECT_FALSE(PrintsMessages(5, json));
    EXPECT_TRUE(PrintsMessages(2, check));
}

TEST_F(OstrevaneCommand, SlipsGetANextStepThatFits) {
    const auto run = [](std::vector<const char*> argv) {
        argv.insert(argv.begin(), "ostrevane");
        std::ostringstream out, err;
        EXPECT_EQ(RunOstrevane(int(argv.size()), argv.data(), out, err), 2);
        return err.str();
    };
    EXPECT_NE(run({"list", "loop"}).find("did you mean \"shakeloop\"?"), std::string::npos);
    EXPECT_NE(run({"set", "--settings", "nosuch.ini", "newcamera", "Camera37"})
                  .find("`ostrevane default -o nosuch.ini` writes one now"),
              std::string::npos);
    const std::string missing = run({"check", "my settings.ini"});
    EXPECT_NE(missing.find("`ostrevane default -o \"my settings.ini\"` writes one now"),
              std::string::npos);
    EXPECT_EQ(missing.find("link"), std::string::npos) << missing;
    // A link into a folder that is not there: the advice, followed, writes where it points.
    fs::create_symlink("mods/x/Ostrevane.ini", "Ostrevane.ini");
    const std::string advice = run({"set", "newcamera", "Camera37"});
    EXPECT_NE(advice.find("mods/x, is not there: create it, then `ostrevane default -o "
                          "Ostrevane.ini --force`"),
              std::string::npos)
        << advice;
    fs::create_directories("mods/x");
    EXPECT_EQ(run({"set", "newcamera", "Camera37"}).find("is not there"), std::string::npos);
    EXPECT_EQ(Ostrevane({"default", "-o", "Ostrevane.ini", "--force"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status("Ostrevane.ini")));
}
