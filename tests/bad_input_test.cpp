// Settings files that people break, and places the file cannot be read from or written to:
// the plug-in must keep running, and nothing it had is lost or half-replaced.
#include "plugin/script.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "tests/standin.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string kGoodFile = "[Settings]\nmodactivatekey=K\noldshake=a\nnewshake=b\n"
                              "[Shake]\na=0x11111111\nb=0x22222222\n";

class BadInputTest : public GameSessionTest {
  protected:
    void SetUp() override {
        GameSessionTest::SetUp();
        WriteSettings(kGoodFile);
        LoadSettings();
        ASSERT_EQ(SwapSettings.newShake, 0x22222222u);
        good_ = SwapSettings;
    }
    void ExpectUnchanged() {
        EXPECT_EQ(SwapSettings, good_);
        EXPECT_EQ(HashDictionary, (NameToHash{{"a", 0x11111111}, {"b", 0x22222222}}));
    }
    SwapSettingsRecord good_;
};

} // namespace

TEST_F(BadInputTest, AFileThatCannotBeOpenedChangesNothing) {
    // A socket stands at the path: it exists, so nothing is written over it, and even the
    // system administrator cannot open it as a file.
    fs::remove(SettingsPath);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, SettingsPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    LoadSettings();
    ::close(sock);
    ExpectUnchanged();
    EXPECT_TRUE(fs::is_socket(SettingsPath));
}

TEST_F(BadInputTest, AFolderThatCannotBeWrittenLeavesTheScriptRunning) {
    // The game's folder is gone from under it: no default file can be written there.
    const fs::path gone = fs::current_path();
    fs::remove_all(gone);
    HashDictionary.clear();
    SwapSettings = {};
    standin::SetKeyScript([](int key, uint64_t frame) { return key == 0 && frame == 2; });
    standin::RunScript(ScriptMain, 10);
    EXPECT_FALSE(fs::exists(gone));
    ASSERT_EQ(standin::Subtitles().size(), 3u);
    EXPECT_EQ(standin::Subtitles()[0].text, "hashIndex: 0");
    fs::create_directories(gone); // for the fixture to clean up
}

TEST_F(BadInputTest, HugeFilesAndLinesAreReadWhole) {
    // 100 MB of comment lines before the settings, and a 10 MB name.
    std::string file;
    const std::string comment(1023, ';');
    file.reserve(101u << 20);
    while (file.size() < (100u << 20))
        file += comment + "\n";
    const std::string longName(10u << 20, 'n');
    file += "[Shake]\n" + longName + "=0x33\n[Settings]\noldshake=" + longName + "\n";
    WriteSettings(file);
    LoadSettings();
    EXPECT_EQ(HashDictionary.size(), 1u);
    EXPECT_EQ(SwapSettings.oldShake, 0x33u);
}

TEST_F(BadInputTest, AFileTooLargeForMemoryKeepsTheLastSettings) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
    const std::string file = "[Shake]\n" + std::string(200u << 20, 'n') + "=0x33\n";
    WriteSettings(file);
    // In a child whose address space cannot hold the file twice over, so that reading it
    // runs out of memory; the child reports whether its settings survived.
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = 256u << 20;
        std::ifstream("/proc/self/statm") >> limit.rlim_cur; // pages in use now
        limit.rlim_cur = limit.rlim_cur * ::sysconf(_SC_PAGESIZE) + (300u << 20);
        ::setrlimit(RLIMIT_AS, &limit);
        LoadSettings();
        const bool unchanged = SwapSettings == good_ && HashDictionary.size() == 2;
        std::_Exit(unchanged ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the load crashed instead of keeping the last settings";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(BadInputTest, OddBytesAreKeptAsTheyAre) {
    const ParsedSettings parsed = ParseSettings("[Shake]\n"
                                                "a\0b=0x1\0"
                                                "2\n"              // NUL in key and value
                                                "\xFF\xC0\x80=2\n" // not UTF-8
                                                "[Settings]\n"
                                                "oldshake=a\0b\n"
                                                "newshake=\xFF\xC0\x80\n"s);
    EXPECT_EQ(parsed.dictionary, (NameToHash{{"a\0b"s, 1}, {"\xFF\xC0\x80", 2}}));
    EXPECT_EQ(parsed.swap.oldShake, 1u);
    EXPECT_EQ(parsed.swap.newShake, 2u);
}

TEST_F(BadInputTest, TruncatedAndOldMacFilesReadAsTheyStand) {
    // Carriage returns alone end no line: the whole file is one header line.
    const ParsedSettings crOnly = ParseSettings("[Settings]\roldshake=a\r[Shake]\ra=0x1\r");
    EXPECT_TRUE(crOnly.dictionary.empty());
    EXPECT_EQ(crOnly.swap, (SwapSettingsRecord{.activationKey = 0x74}));

    // Cut off inside a header: the broken header opens a settings section.
    const ParsedSettings cut = ParseSettings("[Shake]\na=0x1\n[Sett");
    EXPECT_EQ(cut.dictionary, (NameToHash{{"a", 1}}));
    const ParsedSettings cutDictionary = ParseSettings("[Settings]\noldshake=a\n[Sha");
    EXPECT_TRUE(cutDictionary.dictionary.empty());
}

TEST_F(BadInputTest, AFileRewrittenBetweenTwoEnablesIsReadAgain) {
    std::vector<uint8_t> memory(16, 0);
    const uint32_t a = 0x11111111;
    std::memcpy(memory.data(), &a, 4);
    standin::AddRegion(memory.data(), memory.size());
    // Enable at frame 2, disable at 7, rewrite, enable again at 10.
    standin::SetKeyScript([](int key, uint64_t frame) {
        return key == 'K' && (frame == 2 || frame == 7 || frame == 10);
    });
    standin::SetFrameHook([](uint64_t frame) {
        if (frame == 9)
            WriteSettings("[Settings]\nmodactivatekey=K\noldshake=a\nnewshake=c\n"
                          "[Shake]\na=0x11111111\nc=0x33333333\n");
    });
    standin::RunScript(ScriptMain, 16);
    uint32_t value;
    std::memcpy(&value, memory.data(), 4);
    EXPECT_EQ(value, 0x33333333u);
    EXPECT_EQ(standin::Subtitles().back().text,
              "New: 33333333 | Loop: 00000000 | DOF: 00000000 | Cam: 00000000");
}
