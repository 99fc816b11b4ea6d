#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "tests/standin.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

using LoadSettingsTest = GameSessionTest;

TEST_F(LoadSettingsTest, ReplacesTheDictionaryAndEverySettingOnEachLoad) {
    WriteSettings("[Settings]\r\nmodactivatekey=K\r\noldshake=a\r\nnewshake=b\r\n"
                  "[Shake]\r\na=0x11\r\nb=0x22\r\n");
    LoadSettings();
    EXPECT_EQ(HashDictionary.size(), 2u);
    EXPECT_EQ(SwapSettings.oldShake, 0x11u);
    EXPECT_EQ(SwapSettings.newShake, 0x22u);
    EXPECT_EQ(SwapSettings.activationKey, 'K');

    WriteSettings("[Shake]\nc=0x33\n");
    LoadSettings();
    EXPECT_EQ(HashDictionary, (NameToHash{{"c", 0x33}}));
    EXPECT_EQ(SwapSettings, (SwapSettingsRecord{.activationKey = 0x74}));
}

// A read that fails after the file opened (here the EIO of reading unmapped memory through
// /proc/self/mem, as a failing disk gives) is no empty file: that would clear every setting.
TEST_F(LoadSettingsTest, AFolderOrAFileThatFailsToReadLeavesEverythingAsItWas) {
    for (const bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "a folder" : "a read error");
        fs::remove_all(SettingsPath);
        WriteSettings("[Settings]\noldshake=a\n[Shake]\na=0x11\n");
        LoadSettings();
        const SwapSettingsRecord before = SwapSettings;

        fs::remove(SettingsPath);
        if (folder) {
            fs::create_directory(SettingsPath);
        } else {
            fs::create_symlink("/proc/self/mem", SettingsPath);
        }
        LoadSettings();
        EXPECT_EQ(fs::is_directory(fs::symlink_status(SettingsPath)), folder); // never written
        EXPECT_EQ(fs::is_symlink(fs::symlink_status(SettingsPath)), !folder);
        EXPECT_EQ(SwapSettings, before);
        EXPECT_EQ(HashDictionary, (NameToHash{{"a", 0x11}}));
    }
    fs::remove_all(SettingsPath);
}

TEST_F(LoadSettingsTest, NeverChangesAnExistingFile) {
    const std::string text = "[Settings]\r\nnewshake=x\r\n"; // sections and keys missing
    WriteSettings(text);
    LoadSettings();
    std::string after;
    ASSERT_TRUE(ReadFileBytes(SettingsPath, after));
    EXPECT_EQ(after, text);
}
