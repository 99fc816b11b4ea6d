// A thousand presses on and off, with the settings file edited now and then: memory must
// always hold what the reference model predicts, and the plug-in must not grow.
#include "plugin/script.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "swap/engines.h"
#include "swap/swap.h"
#include "tests/standin.h"

#include "tests/game_folder.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstring>
#include <random>

namespace {

// Four files the player switches between; the last chains the shake into the loop.
const char* const kFiles[] = {
    "[Settings]\nmodactivatekey=K\noldshake=a\nnewshake=b\n"
    "[Shake]\na=0x7DC36678\nb=0x643E2FFB\n",
    "[Settings]\nmodactivatekey=K\noldshake=b\nnewshake=a\nolddof=d\nnewdof=e\n"
    "[Shake]\na=0x7DC36678\nb=0x643E2FFB\n[DOF]\nd=0x30348053\ne=0x5C8A08F7\n",
    "[Settings]\nmodactivatekey=K\noldshake=a\nnewshake=missing\noldcamera=c\nnewcamera=d\n"
    "[Shake]\na=0x7DC36678\n[Camera]\nc=0xF8160EE8\nd=0x30348053\n",
    "[Settings]\nmodactivatekey=K\noldshake=a\nnewshake=b\noldshakeloop=b\nnewshakeloop=l\n"
    "[Shake]\na=0x7DC36678\nb=0x643E2FFB\n[NewShakeLoop]\nl=0xB911BBC5\n",
};

// One cycle is nine frames: press at 2, the three messages, the swap seen at 6, release,
// press at 7, the restore seen at 8, and a frame to edit the file before the next press.
constexpr uint64_t kCycleFrames = 9;
constexpr int kCycles = 1000;

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

} // namespace

class SoakTest : public GameSessionTest {};

TEST_F(SoakTest, AThousandTogglesKeepMemoryExactlyAsTheModelPredicts) {
    std::mt19937 random(7);
    const uint32_t hashes[] = {0x7DC36678, 0x643E2FFB, 0x30348053,
                               0x5C8A08F7, 0xF8160EE8, 0xB911BBC5};
    std::vector<uint8_t> memory(64 * 1024);
    for (auto& byte : memory)
        byte = uint8_t(random());
    for (int n = 0; n < 400; ++n) {
        const uint32_t hash = hashes[random() % std::size(hashes)];
        std::memcpy(memory.data() + random() % (memory.size() - 3), &hash, 4);
    }
    standin::AddRegion(memory.data(), memory.size());
    std::vector<uint8_t> model = memory;

    size_t file = 0;
    WriteSettings(kFiles[file]);
    SwapSettingsRecord enabledWith;
    int mismatches = 0;
    int swapsThatChangedMemory = 0;
    size_t heapAfterWarmUp = 0;

    standin::SetKeyScript([](int key, uint64_t frame) {
        const uint64_t phase = frame % kCycleFrames;
        return key == 'K' && (phase == 2 || phase == 7);
    });
    standin::SetFrameHook([&](uint64_t frame) {
        const uint64_t phase = frame % kCycleFrames;
        const uint64_t cycle = frame / kCycleFrames;
        if (phase == 3) { // the enable's reload has read the file
            enabledWith = ParseSettings(kFiles[file]).swap;
        } else if (phase == 6) {
            swapsThatChangedMemory +=
                SubstituteReference(model.data(), model.size(), ApplyChain(enabledWith)) > 0;
            mismatches += memory != model;
        } else if (phase == 8) {
            SubstituteReference(model.data(), model.size(), RestoreChain(enabledWith));
            mismatches += memory != model;
            standin::ClearRecords();
            if (cycle % 7 == 3) WriteSettings(kFiles[file = (file + 1) % std::size(kFiles)]);
            if (cycle == 10) heapAfterWarmUp = HeapInUse();
        }
    });
    standin::RunScript(ScriptMain, kCycles * kCycleFrames);

    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(swapsThatChangedMemory, kCycles / 2); // chains use some hashes up for good
    // Allocations come and go with each reload, but nothing piles up.
    EXPECT_LT(HeapInUse(), heapAfterWarmUp + 16 * 1024);
}
