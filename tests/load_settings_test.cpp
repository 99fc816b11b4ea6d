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

TEST_F(LoadSettingsTest, AFolderAtThePathLeavesEverythingAsItWas) {
    WriteSettings("[Settings]\noldshake=a\n[Shake]\na=0x11\n");
    LoadSettings();
    const SwapSettingsRecord before = SwapSettings;

    fs::remove(SettingsPath);
    fs::create_directory(SettingsPath);
    LoadSettings();
    EXPECT_TRUE(fs::is_directory(SettingsPath)); // never written over
    EXPECT_EQ(SwapSettings, before);
    EXPECT_EQ(HashDictionary, (NameToHash{{"a", 0x11}}));
}

TEST_F(LoadSettingsTest, NeverChangesAnExistingFile) {
    const std::string text = "[Settings]\r\nnewshake=x\r\n"; // sections and keys missing
    WriteSettings(text);
    LoadSettings();
    std::string after;
    ASSERT_TRUE(ReadFileBytes(SettingsPath, after));
    EXPECT_EQ(after, text);
}
