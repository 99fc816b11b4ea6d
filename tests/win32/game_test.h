#pragma once
// Each test is a game session of its own: an empty game folder, where the plug-in keeps
// its settings file, a clean record of the hook's calls, and the plug-in unloaded after.

#include "tools/standin_game/host.h"

#include <gtest/gtest.h>

#include <string>

class GameTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        host::EnterFreshFolder(std::string(test->test_suite_name()) + "." + test->name());
        StandInClearEvents();
    }
    void TearDown() override {
        if (plugin_) host::UnloadPlugin(plugin_);
    }
    // Loads the plug-in and runs the first frame, in which its script reads the settings.
    void StartPlugin() {
        plugin_ = host::LoadPlugin();
        ASSERT_NE(plugin_, nullptr);
        host::RunFrames(1);
    }
    // Presses the key and lets the game run the frame that sees it. Returns the game time
    // of that frame.
    static uint64_t Press(int virtualKey = host::kF8) {
        host::KeyDown(virtualKey);
        host::RunFrames(1);
        const uint64_t pressedAt = host::NowMs();
        host::KeyUp(virtualKey);
        return pressedAt;
    }

    void* plugin_ = nullptr;
};
