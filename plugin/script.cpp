#include "plugin/script.h"

#include "platform/keyboard.h"
#include "platform/script_hook.h"
#include "platform/subtitle_natives.h"
#include "settings/settings.h"
#include "swap/swap.h"

#include <cstdint>
#include <cstdio>

namespace {

// Between two messages of the enable sequence; shorter than a subtitle's five seconds,
// so each message briefly overlaps the next.
constexpr uint32_t kEnableMessageGapMs = 4000;
constexpr uint32_t kDisableMessageWaitMs = 1000;

uint64_t AsArgument(const char* text) {
    return reinterpret_cast<uintptr_t>(text);
}

// Formats into the one message buffer, shows it, and waits.
template <typename... Args>
void Announce(char (&buffer)[128], uint32_t waitMs, const char* format, Args... args) {
    std::snprintf(buffer, sizeof buffer, format, args...);
    ShowSubtitle(buffer);
    platform::scriptWait(waitMs);
}

} // namespace

void ShowSubtitle(const char* text) {
    platform::nativeInit(kNativeBeginTextCommandPrint);
    platform::nativePush64(AsArgument("STRING"));
    platform::nativeCall();

    platform::nativeInit(kNativeAddTextComponentString);
    platform::nativePush64(AsArgument(text));
    platform::nativeCall();

    platform::nativeInit(kNativeEndTextCommandPrint);
    platform::nativePush64(kSubtitleMilliseconds);
    platform::nativePush64(1); // show at once
    platform::nativeCall();
}

void ScriptMain() {
    char MessageBuffer[128]; // reused for every subtitle
    LoadSettings();
    bool keyWasDown = false;
    bool swapActive = false;
    for (;;) {
        platform::scriptWait(0);
        // Read every frame: a reload that changes the key takes effect at once.
        const bool keyDown = platform::KeyIsDown(SwapSettings.activationKey);
        if (!keyDown || keyWasDown) {
            keyWasDown = keyDown;
            continue;
        }
        if (swapActive) {
            RestoreSwap();
            Announce(MessageBuffer, kDisableMessageWaitMs, "%s",
                     "Mod Disabled - Default Shake Restored");
        } else {
            LoadSettings(); // pick up edits made while the game runs
            const SwapSettingsRecord& s = SwapSettings;
            static_assert(kPairCount == 4, "the subtitles below name each pair's old and new "
                                           "hash: give a new pair its place in both");
            Announce(MessageBuffer, kEnableMessageGapMs, "hashIndex: %d",
                     int(HashDictionary.size()));
            Announce(MessageBuffer, kEnableMessageGapMs,
                     "Old: %08X | Loop: %08X | DOF: %08X | Cam: %08X", s.oldShake, s.oldShakeLoop,
                     s.oldDof, s.oldCamera);
            Announce(MessageBuffer, kEnableMessageGapMs,
                     "New: %08X | Loop: %08X | DOF: %08X | Cam: %08X", s.newShake, s.newShakeLoop,
                     s.newDof, s.newCamera);
            ApplySwap();
        }
        keyWasDown = true;
        swapActive = !swapActive;
    }
}
