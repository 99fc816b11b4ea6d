// The load that finds no settings file writes the default one first, and never anything else.
#include "settings/default_settings.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "tests/standin.h"

#include "tests/default_settings_facts.h"
#include "tests/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

class FirstRunTest : public GameSessionTest {
  protected:
    static std::string DefaultText() {
        std::string text;
        for (std::string_view line : DefaultSettingsLines)
            (text += line) += '\n';
        return text;
    }
    static std::string FileText() {
        std::string text;
        EXPECT_TRUE(ReadFileBytes(SettingsPath, text));
        return text;
    }
};

} // namespace

TEST_F(FirstRunTest, WritesAMissingFileAndLoadsTheDefaults) {
    LoadSettings();
    EXPECT_EQ(FileText(), DefaultText());
    EXPECT_EQ(HashDictionary.size(), 227u);
    EXPECT_EQ(SwapSettings, default_facts::kDefaultSwap);
}

TEST_F(FirstRunTest, NeverChangesAFileThatExists) {
    std::string noCameras = DefaultText();
    noCameras.erase(noCameras.find("[Camera]"));
    const std::vector<std::string> files = {
        "",
        "[Settings]\r\nnewshake=x\r\n",
        "no line feed at all",
        noCameras,
    };
    for (const std::string& text : files) {
        WriteSettings(text);
        LoadSettings();
        EXPECT_EQ(FileText(), text);
    }
    // What was read is the player's file, not the defaults it lacks.
    EXPECT_EQ(HashDictionary.size(), 227u - 40u);
    EXPECT_EQ(SwapSettings.oldCamera, 0u);
}

TEST_F(FirstRunTest, NeverWritesOverAFolderAtThePath) {
    fs::create_directory(SettingsPath);
    LoadSettings();
    ASSERT_TRUE(fs::is_directory(SettingsPath));
    EXPECT_TRUE(fs::is_empty(SettingsPath));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
    EXPECT_EQ(SwapSettings, SwapSettingsRecord{});
}

TEST_F(FirstRunTest, WritesTheFileAgainWhenItWasDeletedBetweenLoads) {
    LoadSettings();
    WriteSettings("[Settings]\nnewshake=mine\n[Shake]\nmine=0x1\n");
    LoadSettings();
    ASSERT_EQ(SwapSettings.newShake, 1u);

    fs::remove(SettingsPath); // the player deletes it while the game runs
    LoadSettings();
    EXPECT_EQ(FileText(), DefaultText());
    EXPECT_EQ(SwapSettings, default_facts::kDefaultSwap);
}

TEST_F(FirstRunTest, AFileThatCannotBeCreatedLeavesEverythingAsItWas) {
    LoadSettings();
    // Gone from under the game: nothing can be created in it any more.
    fs::remove_all(fs::current_path());
    SwapSettings.newCamera = 0x1234;
    LoadSettings();
    EXPECT_EQ(SwapSettings.newCamera, 0x1234u);
    EXPECT_EQ(HashDictionary.size(), 227u);
}

TEST_F(FirstRunTest, AWriteThatFailsLeavesNoHalfFileBehind) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "needs a device that is always full";
    // The settings file is a link to a device whose every write fails as a full disk does.
    fs::create_symlink("/dev/full", SettingsPath);
    WriteDefaultSettings(SettingsPath);
    // A link left behind would be read as an endless settings file of zero bytes.
    ASSERT_FALSE(fs::exists(fs::symlink_status(SettingsPath)));
    EXPECT_TRUE(fs::exists("/dev/full"));

    // With nothing left at the path, the next load starts over.
    LoadSettings();
    EXPECT_EQ(FileText(), DefaultText());
}
