#include "plugin/script.h"
#include "settings/settings.h"
#include "tests/standin.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

constexpr int kF8 = 0x77;
constexpr uint32_t kSkyDive = 0x7DC36678;
constexpr uint32_t kDrugTrip = 0x643E2FFB;

const char* const kSettings = "[Settings]\n"
                              "modactivatekey=F8\n"
                              "oldshake=sky_diving_shake\n"
                              "newshake=family5_drug_trip_shake\n"
                              "olddof=DOF05\n"
                              "newdof=no_such_dof\n"
                              "[Shake]\n"
                              "sky_diving_shake=0x7DC36678\n"
                              "family5_drug_trip_shake=0x643E2FFB\n"
                              "[DOF]\n"
                              "DOF05=0x30348053\n";

std::vector<uint32_t> WaitTimes() {
    std::vector<uint32_t> times;
    for (const auto& wait : standin::Waits())
        times.push_back(wait.milliseconds);
    return times;
}

std::vector<std::string> SubtitleTexts() {
    std::vector<std::string> texts;
    for (const auto& subtitle : standin::Subtitles())
        texts.push_back(subtitle.text);
    return texts;
}

// The key `virtualKey` is down exactly in the listed frames.
void PressDuring(int virtualKey, std::set<uint64_t> frames) {
    standin::SetKeyScript(
        [=](int key, uint64_t frame) { return key == virtualKey && frames.count(frame) > 0; });
}

std::set<uint64_t> Frames(uint64_t first, uint64_t last) {
    std::set<uint64_t> frames;
    for (uint64_t f = first; f <= last; ++f)
        frames.insert(f);
    return frames;
}

class ScriptTest : public GameSessionTest {
  protected:
    void SetUp() override {
        GameSessionTest::SetUp();
        std::memcpy(memory_.data() + 5, &kSkyDive, 4);
        standin::AddRegion(memory_.data(), memory_.size());
        WriteSettings(kSettings);
    }
    uint32_t Planted() const {
        uint32_t value;
        std::memcpy(&value, memory_.data() + 5, 4);
        return value;
    }

    std::vector<uint8_t> memory_ = std::vector<uint8_t>(64, 0);
};

} // namespace

TEST_F(ScriptTest, APressAnnouncesTheSwapThenSwapsAndTheNextPressRestores) {
    // Polls follow frames 1, 2, ...: the key goes down at the fifth poll.
    PressDuring(kF8, {5, 12});
    std::vector<uint32_t> plantedAtFrame;
    standin::SetFrameHook([&](uint64_t) { plantedAtFrame.push_back(Planted()); });
    standin::RunScript(ScriptMain, 16);

    EXPECT_EQ(WaitTimes(),
              (std::vector<uint32_t>{0, 0, 0, 0, 0, 4000, 4000, 4000, 0, 0, 0, 0, 1000, 0, 0, 0}));
    EXPECT_EQ(SubtitleTexts(),
              (std::vector<std::string>{
                  "hashIndex: 3", "Old: 7DC36678 | Loop: 00000000 | DOF: 30348053 | Cam: 00000000",
                  "New: 643E2FFB | Loop: 00000000 | DOF: 00000000 | Cam: 00000000",
                  "Mod Disabled - Default Shake Restored"}));
    // Each message waits its turn; the swap comes only after the third wait.
    const auto& subtitles = standin::Subtitles();
    EXPECT_EQ(subtitles[1].shownAtMs - subtitles[0].shownAtMs, 4000u);
    EXPECT_EQ(subtitles[2].shownAtMs - subtitles[1].shownAtMs, 4000u);
    for (const auto& subtitle : subtitles)
        EXPECT_EQ(subtitle.durationMs, 5000u);
    EXPECT_EQ(plantedAtFrame[7], kSkyDive);  // during the third message
    EXPECT_EQ(plantedAtFrame[8], kDrugTrip); // the frame after it
    EXPECT_EQ(plantedAtFrame[11], kDrugTrip);
    EXPECT_EQ(plantedAtFrame[12], kSkyDive); // restored before the last message
}

TEST_F(ScriptTest, EachSubtitleIsThreeNativeCallsWithTheirArguments) {
    PressDuring(kF8, {1});
    standin::RunScript(ScriptMain, 2);
    const auto& calls = standin::NativeCalls();
    ASSERT_EQ(calls.size(), 3u); // the first message only
    EXPECT_EQ(calls[0].hash, 0xB87A37EEB7FAA67Dull);
    EXPECT_EQ(calls[0].text, "STRING");
    EXPECT_EQ(calls[0].arguments.size(), 1u);
    EXPECT_EQ(calls[1].hash, 0x6C188BE134E074AAull);
    EXPECT_EQ(calls[1].text, "hashIndex: 3");
    EXPECT_EQ(calls[1].arguments.size(), 1u);
    EXPECT_EQ(calls[2].hash, 0x9D77056A530643F6ull);
    EXPECT_EQ(calls[2].arguments, (std::vector<uint64_t>{5000, 1}));
}

TEST_F(ScriptTest, OnlyTheMomentTheKeyGoesDownCounts) {
    // Held for a long time: one toggle.
    PressDuring(kF8, Frames(2, 40));
    standin::RunScript(ScriptMain, 50);
    EXPECT_EQ(standin::Subtitles().size(), 3u);
    EXPECT_EQ(Planted(), kDrugTrip);
}

TEST_F(ScriptTest, APressDuringTheMessagesIsNotSeen) {
    // Pressed and released while the enable sequence waits (frames 3 to 5).
    PressDuring(kF8, {2, 4});
    standin::RunScript(ScriptMain, 20);
    EXPECT_EQ(standin::Subtitles().size(), 3u);

    // Still held when polling resumes: it must be released and pressed once more.
    standin::Reset();
    standin::AddRegion(memory_.data(), memory_.size());
    PressDuring(kF8, {2, 3, 4, 5, 6, 9});
    standin::RunScript(ScriptMain, 12);
    ASSERT_EQ(standin::Subtitles().size(), 4u); // the poll at frame 6 saw no new press
    EXPECT_EQ(standin::Subtitles()[3].text, "Mod Disabled - Default Shake Restored");
}

TEST_F(ScriptTest, AReloadThatChangesTheKeyTakesEffectAtTheNextPoll) {
    PressDuring(kF8, {2});
    standin::SetFrameHook([&](uint64_t frame) {
        if (frame == 1) {
            std::string text = kSettings;
            text.replace(text.find("F8"), 2, "K");
            WriteSettings(text);
        }
    });
    standin::RunScript(ScriptMain, 8);
    const auto& polled = standin::PolledKeys();
    EXPECT_EQ(polled, (std::vector<int>{kF8, kF8, 'K', 'K'})); // frames 1, 2, 6 and 7
}

TEST_F(ScriptTest, DisablingUsesTheSettingsOfTheLastEnable) {
    PressDuring(kF8, {2, 8});
    standin::SetFrameHook([&](uint64_t frame) {
        if (frame == 6) WriteSettings("[Settings]\nmodactivatekey=F8\n");
    });
    standin::RunScript(ScriptMain, 10);
    EXPECT_EQ(standin::Subtitles().size(), 4u);
    EXPECT_EQ(Planted(), kSkyDive);
}

TEST_F(ScriptTest, ASettingsFileThatCannotBeReadLeavesTheKeyAtZero) {
    std::filesystem::remove(SettingsPath);
    std::filesystem::create_directory(SettingsPath);
    PressDuring(0, {3});
    standin::RunScript(ScriptMain, 8);
    EXPECT_EQ(standin::PolledKeys().front(), 0);
    EXPECT_EQ(SubtitleTexts(),
              (std::vector<std::string>{
                  "hashIndex: 0", "Old: 00000000 | Loop: 00000000 | DOF: 00000000 | Cam: 00000000",
                  "New: 00000000 | Loop: 00000000 | DOF: 00000000 | Cam: 00000000"}));
    EXPECT_EQ(Planted(), kSkyDive);
    EXPECT_EQ(memory_[0], 0); // zero pairs wrote nothing
}
