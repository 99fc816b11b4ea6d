// `ostrevane default`: the plug-in's own default file, never over a file without --force.
#include "tests/cli/command_test.h"

// The plug-in writes in text mode, which is CR LF wherever a player runs it: on Windows, and
// under Wine or Proton on Linux. --lf gives the same lines as this native build writes them.
TEST_F(OstrevaneCommand, DefaultIsThePlugInsOwnFileByteForByte) {
    WriteDefaultSettings(SettingsPath);
    const std::string nativeFile = Read(SettingsPath);
    const Outcome crlf = Ostrevane({"default"});
    EXPECT_EQ(crlf.status, 0);
    EXPECT_EQ(crlf.out.size(), 154881u);
    EXPECT_EQ(crlf.out, DefaultFile("\r\n"));
    EXPECT_EQ(Ostrevane({"default", "--crlf"}).out, crlf.out);
    EXPECT_EQ(ParseSettings(crlf.out).swap, ParseSettings(nativeFile).swap);

    const Outcome lf = Ostrevane({"default", "--lf"});
    EXPECT_EQ(lf.out, nativeFile);
    EXPECT_EQ(lf.out.size(), 154627u);
    EXPECT_EQ(Ostrevane({"default", "--lf", "--crlf"}).status, 2);
}

TEST_F(OstrevaneCommand, DefaultNeverOverwritesWithoutForceAndLeavesNoTemporaryFile) {
    Write("mine.ini", "my own settings\n");
    const Outcome refused = Ostrevane({"default", "-o", "mine.ini"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("already exists (add --force to replace it)"), std::string::npos);
    EXPECT_EQ(Read("mine.ini"), "my own settings\n");

    const Outcome forced = Ostrevane({"default", "--crlf", "-o", "mine.ini", "--force"});
    EXPECT_EQ(forced.status, 0);
    EXPECT_EQ(Read("mine.ini"), DefaultFile("\r\n"));

    EXPECT_EQ(Ostrevane({"default", "-o", "no/such/folder/x.ini"}).status, 2);
    fs::create_directory("folder");
    const Outcome folder = Ostrevane({"default", "-o", "folder"});
    EXPECT_NE(folder.err.find("is a folder, not a file: name a file in it, such as -o "),
              std::string::npos)
        << folder.err;
    fs::remove("folder");
    EXPECT_EQ(Ostrevane({"default", "--force"}).status, 2); // --force needs -o
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator("."))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"mine.ini"});
}

// In a terminal, the default file would only scroll past; into a file or a pipe it goes.
TEST(OstrevaneCommandLine, DefaultWritesNothingIntoATerminal) {
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal) | unlockpt(terminal), 0);
    const int follower = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(follower, 0);
    std::fflush(stdout);
    const int saved = dup(1);
    dup2(follower, 1);
    std::ostringstream err;
    const int status = RunTo({"default"}, std::cout, err);
    std::cout.flush();
    dup2(saved, 1);
    close(saved);
    close(follower);
    close(terminal);
    EXPECT_EQ(status, 2);
    EXPECT_NE(err.str().find("name the file to write with -o, such as `ostrevane default -o "
                             "Ostrevane.ini`"),
              std::string::npos)
        << err.str();
}
