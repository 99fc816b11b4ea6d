#include "inspect/checker.h"

#include "inspect/bytes_text.h"
#include "settings/key_names.h"

#include <algorithm>

namespace {

// Text two bytes in, half of them zero: what a "Unicode" save of a settings file looks like.
// Only a guess from the bytes: the plug-in's reading decides (see CheckSettings).
bool LooksLikeUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    const std::string_view head = bytes.substr(0, 256);
    const auto zeros = std::count(head.begin(), head.end(), '\0');
    return head.size() >= 2 && size_t(zeros) * 4 >= head.size();
}

bool SameReading(const ParsedSettings& a, const ParsedSettings& b) {
    return a.dictionary == b.dictionary && a.values == b.values && a.swap == b.swap;
}

// Whatever follows the bytes the plug-in reads is lost, unless it is blank.
void CheckEndOfData(Checker& checker, std::string_view bytes, size_t stop) {
    if (bytes.find_first_not_of(" \t\r\n\x1A", stop) == std::string_view::npos) return;
    const size_t line = size_t(std::count(bytes.begin(), bytes.begin() + long(stop), '\n')) + 1;
    std::string message = "a Ctrl-Z byte (0x1A) ends the file for the plug-in: nothing after it "
                          "is read";
    std::vector<std::string_view> names = checker.settingsLostToCtrlZ;
    const bool keyLost = std::erase(names, SettingKeyNames[kActivationKey]) != 0;
    for (size_t i = 0; i < names.size(); ++i) {
        message += i == 0 ? ", so " : i + 1 == names.size() ? " and " : ", ";
        message += names[i];
    }
    if (!names.empty()) message += names.size() == 1 ? " resolves to 0" : " resolve to 0";
    if (keyLost) {
        message += names.empty() ? ", so" : " and";
        message += " the toggle key is " + FallbackKeyName();
    }
    checker.Warn(line, message + "; remove the Ctrl-Z", FindingKind::kWholeFile);
}

} // namespace

// The settings that the part after a Ctrl-Z byte would give, and the part before does not.
void FindSettingsLostToCtrlZ(Checker& checker, const ParsedSettings& parsed,
                             std::string_view bytes) {
    if (parsed.bytesRead == bytes.size()) return;
    std::string whole(bytes);
    std::erase(whole, '\x1A');
    std::array<bool, kSettingKeyCount> meantSet{};
    const ParsedSettings meant = ParseSettings(whole, [&](const SettingsLine& line) {
        for (size_t key = 0; key < kSettingKeyCount && line.kind == LineKind::Setting; ++key)
            meantSet[key] = meantSet[key] || line.key == SettingKeyNames[key];
    });
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        checker.lostToCtrlZ[key] = checker.settingLines[key] == 0 && meantSet[key];
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            checker.lostToCtrlZ[setting.key] |=
                parsed.swap.*setting.resolved == 0 && meant.swap.*setting.resolved != 0;
        }
    }
    checker.lostToCtrlZ[kActivationKey] |=
        !KnownKeyCode(parsed.values[kActivationKey]) && KnownKeyCode(meant.values[kActivationKey]);
}

void CheckWholeFile(Checker& checker, const ParsedSettings& parsed, std::string_view bytes) {
    CheckEndOfData(checker, bytes, parsed.bytesRead);
    if (checker.startsWithByteOrderMark && !checker.byteOrderMarkReported &&
        !SameReading(parsed, ParseSettings(bytes.substr(kUtf8ByteOrderMark.size())))) {
        checker.Warn(1,
                     "the file starts with a byte-order mark (saved as \"UTF-8 with BOM\"), "
                     "which the plug-in reads as part of line 1; save the file as UTF-8 "
                     "without BOM, or as ANSI",
                     FindingKind::kWholeFile);
    }
    // A file saved as UTF-16 gives the plug-in neither a dictionary entry nor a setting;
    // every other finding would only be an echo of that.
    const bool readNothing = parsed.dictionary.empty() &&
                             std::all_of(checker.settingLines.begin(), checker.settingLines.end(),
                                         [](size_t line) { return line == 0; });
    if (bytes.find_first_not_of(" \t\r\n\v\f\x1A") == std::string_view::npos) {
        checker.warnings = {{0,
                             "the file is empty, so the plug-in swaps nothing and the toggle "
                             "key is " +
                                 FallbackKeyName() +
                                 "; the plug-in writes a fresh default file only where none "
                                 "exists: delete this one and start the game",
                             FindingKind::kUnreadable}};
    } else if (readNothing && LooksLikeUtf16(bytes)) {
        checker.warnings = {{1,
                             "the file is saved as UTF-16 (what some editors call "
                             "\"Unicode\"): the plug-in reads nothing usable from it; save "
                             "it as ANSI or UTF-8",
                             FindingKind::kUnreadable}};
    }
}
