#pragma once
// Runs each test in an empty folder of its own, as the game runs in its folder, so that
// the settings file the plug-in reads and writes belongs to that test alone.

#include "settings/settings.h"
#include "tests/standin.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class GameFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("ostrevane-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
                   std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }
    // Writes the settings file byte for byte.
    static void WriteSettings(const std::string& text) {
        std::ofstream(SettingsPath, std::ios::binary) << text;
    }

  private:
    std::filesystem::path previous_, folder_;
};

// A fresh game session in its own folder: no settings loaded, nothing recorded.
class GameSessionTest : public GameFolderTest {
  protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        standin::Reset();
        HashDictionary.clear();
        SwapSettings = {};
    }
};
