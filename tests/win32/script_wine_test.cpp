// The real plug-in in the stand-in game: registration, the toggle key read through
// Windows, the subtitles as the game receives them, and the swap on the game clock.
#include "tests/win32/game_test.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kSkyDive = 0x7DC36678;
constexpr uint32_t kDrugTrip = 0x643E2FFB;
constexpr uint64_t kBeginText = 0xB87A37EEB7FAA67Dull;
constexpr uint64_t kAddText = 0x6C188BE134E074AAull;
constexpr uint64_t kEndText = 0x9D77056A530643F6ull;

constexpr const char* kSettings = "[Settings]\r\n"
                                  "modactivatekey=F8\r\n"
                                  "oldshake=sky_diving_shake\r\n"
                                  "newshake=family5_drug_trip_shake\r\n"
                                  "oldshakeloop=family5_drug_trip_shake_loop\r\n"
                                  "newshakeloop=sky_diving_shake_loop\r\n"
                                  "olddof=DOF05\r\n"
                                  "newdof=DOF10\r\n"
                                  "oldcamera=Camera38\r\n"
                                  "newcamera=Camera15\r\n"
                                  "[Shake]\r\n"
                                  "sky_diving_shake=0x7DC36678\r\n"
                                  "family5_drug_trip_shake=0x643E2FFB\r\n"
                                  "[NewShakeLoop]\r\n"
                                  "family5_drug_trip_shake_loop=0xC1028541\r\n"
                                  "sky_diving_shake_loop=0xB911BBC5\r\n"
                                  "[DOF]\r\n"
                                  "DOF05=0x30348053\r\n"
                                  "DOF10=0x5C8A08F7\r\n"
                                  "[Camera]\r\n"
                                  "Camera38=0xF8160EE8\r\n"
                                  "Camera15=0x2F0AACD0\r\n";

constexpr const char* kDisabled = "Mod Disabled - Default Shake Restored";

class ScriptWineTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        host::WriteBytes("Ostrevane.ini", kSettings);
        std::memcpy(memory_.data() + 5, &kSkyDive, 4);
    }
    // A word of the game's heap that names the sky-diving shake until the swap.
    uint32_t Planted() const {
        uint32_t value;
        std::memcpy(&value, memory_.data() + 5, 4);
        return value;
    }

    std::vector<uint8_t> memory_ = std::vector<uint8_t>(64, 0);
};

// Each subtitle must reach the game as begin, add text, end: three native calls.
void ExpectSubtitleCalls(const std::vector<StandInEvent>& calls,
                         const std::vector<host::Subtitle>& subtitles) {
    ASSERT_EQ(calls.size(), 3 * subtitles.size());
    for (size_t i = 0; i < subtitles.size(); ++i) {
        SCOPED_TRACE(subtitles[i].text);
        const StandInEvent* call = &calls[3 * i];
        EXPECT_EQ(call[0].nativeHash, kBeginText);
        EXPECT_EQ(call[0].argumentCount, 1u);
        EXPECT_STREQ(call[0].text, "STRING");
        EXPECT_EQ(call[1].nativeHash, kAddText);
        EXPECT_EQ(call[1].argumentCount, 1u);
        EXPECT_EQ(call[1].text, subtitles[i].text);
        EXPECT_EQ(call[2].nativeHash, kEndText);
        ASSERT_EQ(call[2].argumentCount, 2u);
        EXPECT_EQ(call[2].arguments[0], 5000u); // on screen for five seconds
        EXPECT_EQ(call[2].arguments[1], 1u);    // at once
        EXPECT_EQ(subtitles[i].durationMs, 5000u);
    }
}

// The wait the script makes right after each subtitle.
std::vector<uint32_t> WaitsAfterSubtitles() {
    std::vector<uint32_t> waits;
    bool afterSubtitle = false;
    for (const StandInEvent& event : host::Events()) {
        if (event.kind == kStandInSubtitle) afterSubtitle = true;
        if (event.kind == kStandInWait && afterSubtitle) {
            waits.push_back(event.waitMs);
            afterSubtitle = false;
        }
    }
    return waits;
}

} // namespace

TEST_F(ScriptWineTest, LoadingRegistersOneScriptAndUnloadingUnregistersIt) {
    plugin_ = host::LoadPlugin();
    ASSERT_NE(plugin_, nullptr);
    const auto registered = host::EventsOfKind(kStandInRegister);
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0].module, plugin_);
    MEMORY_BASIC_INFORMATION script;
    ASSERT_NE(VirtualQuery(registered[0].script, &script, sizeof script), 0u);
    EXPECT_EQ(script.AllocationBase, plugin_) << "the script is not the plug-in's own code";

    host::RunFrames(10);
    EXPECT_EQ(host::EventsOfKind(kStandInRegister).size(), 1u);
    EXPECT_EQ(StandInScriptCount(), 1u);

    void* const module = plugin_;
    plugin_ = nullptr;
    ASSERT_TRUE(host::UnloadPlugin(module));
    const auto unregistered = host::EventsOfKind(kStandInUnregister);
    ASSERT_EQ(unregistered.size(), 1u);
    EXPECT_EQ(unregistered[0].module, module);
    EXPECT_EQ(StandInScriptCount(), 0u);
    const size_t recorded = StandInEventCount();
    host::RunFrames(10);
    EXPECT_EQ(StandInEventCount(), recorded) << "the script ran after its module unloaded";
}

TEST_F(ScriptWineTest, APressAnnouncesTheSwapForTwelveSecondsThenSwaps) {
    StartPlugin();
    StandInClearEvents();
    const uint64_t pressedAt = Press();
    host::RunUntil(pressedAt + 12000 - host::kFrameMs);
    EXPECT_EQ(Planted(), kSkyDive) << "swapped before the third message had its four seconds";
    host::RunFrames(1);
    EXPECT_EQ(Planted(), kDrugTrip);

    const auto subtitles = host::Subtitles();
    ASSERT_EQ(subtitles.size(), 3u);
    EXPECT_EQ(subtitles[0].text, "hashIndex: 8");
    EXPECT_EQ(subtitles[1].text, "Old: 7DC36678 | Loop: C1028541 | DOF: 30348053 | Cam: F8160EE8");
    EXPECT_EQ(subtitles[2].text, "New: 643E2FFB | Loop: B911BBC5 | DOF: 5C8A08F7 | Cam: 2F0AACD0");
    EXPECT_EQ(subtitles[0].shownAtMs, pressedAt);
    EXPECT_EQ(subtitles[1].shownAtMs, pressedAt + 4000);
    EXPECT_EQ(subtitles[2].shownAtMs, pressedAt + 8000);
    ExpectSubtitleCalls(host::EventsOfKind(kStandInNativeCall), subtitles);
    EXPECT_EQ(WaitsAfterSubtitles(), (std::vector<uint32_t>{4000, 4000, 4000}));
}

TEST_F(ScriptWineTest, TheNextPressRestoresAtOnceThenAnnouncesItForOneSecond) {
    StartPlugin();
    Press();
    // Past the swap and one more poll: a press at the very poll after the sequence is
    // taken for the key still held from the press that started it.
    host::RunFor(12000 + host::kFrameMs);
    ASSERT_EQ(Planted(), kDrugTrip);
    StandInClearEvents();

    const uint64_t pressedAt = Press();
    EXPECT_EQ(Planted(), kSkyDive);
    const auto subtitles = host::Subtitles();
    ASSERT_EQ(subtitles.size(), 1u);
    EXPECT_EQ(subtitles[0].text, kDisabled);
    EXPECT_EQ(subtitles[0].shownAtMs, pressedAt);
    ExpectSubtitleCalls(host::EventsOfKind(kStandInNativeCall), subtitles);
    EXPECT_EQ(WaitsAfterSubtitles(), (std::vector<uint32_t>{1000}));
}

TEST_F(ScriptWineTest, UnloadingLeavesMemoryAsTheLastPressLeftIt) {
    StartPlugin();
    Press();
    host::RunFor(12000);
    ASSERT_EQ(Planted(), kDrugTrip);
    ASSERT_TRUE(host::UnloadPlugin(plugin_));
    plugin_ = nullptr;
    EXPECT_EQ(Planted(), kDrugTrip);
    EXPECT_EQ(host::Subtitles().size(), 3u);
}

TEST_F(ScriptWineTest, HoldingTheKeyTogglesOnce) {
    StartPlugin();
    host::KeyDown(host::kF8);
    host::RunFor(30000);
    host::KeyUp(host::kF8);
    host::RunFrames(1);
    EXPECT_EQ(host::Subtitles().size(), 3u);
    EXPECT_EQ(Planted(), kDrugTrip);

    Press();
    EXPECT_EQ(host::Subtitles().size(), 4u);
    EXPECT_EQ(Planted(), kSkyDive);
}

TEST_F(ScriptWineTest, OnlyAKeyDownAtAFrameCounts) {
    StartPlugin();
    // Down and up again between two frames: Windows remembers the press, but the key
    // is up when the script looks.
    host::KeyDown(host::kF8);
    host::KeyUp(host::kF8);
    host::RunFor(13000);
    EXPECT_TRUE(host::Subtitles().empty());
    EXPECT_EQ(Planted(), kSkyDive);
}

TEST_F(ScriptWineTest, PressesWhileTheMessagesShowAreNotSeen) {
    StartPlugin();
    const uint64_t pressedAt = Press();
    host::RunUntil(pressedAt + 2000);
    host::Tap(host::kF8);
    // Held from the last message until well after polling resumes: still the old press.
    host::RunUntil(pressedAt + 9000);
    host::KeyDown(host::kF8);
    host::RunUntil(pressedAt + 16000);
    host::KeyUp(host::kF8);
    host::RunFrames(1);
    EXPECT_EQ(host::Subtitles().size(), 3u);
    EXPECT_EQ(Planted(), kDrugTrip);

    Press();
    ASSERT_EQ(host::Subtitles().size(), 4u);
    EXPECT_EQ(host::Subtitles()[3].text, kDisabled);
    EXPECT_EQ(Planted(), kSkyDive);
}

TEST_F(ScriptWineTest, TheToggleKeyIsTheOneTheSettingsFileNames) {
    std::string settings = kSettings;
    settings.replace(settings.find("=F8"), 3, "=K");
    host::WriteBytes("Ostrevane.ini", settings);
    StartPlugin();
    Press(host::kF8);
    host::RunFor(13000);
    EXPECT_TRUE(host::Subtitles().empty());
    EXPECT_EQ(Planted(), kSkyDive);

    Press('K');
    host::RunFor(12000);
    EXPECT_EQ(host::Subtitles().size(), 3u);
    EXPECT_EQ(Planted(), kDrugTrip);
}
