#include "inspect/checker.h"

#include "inspect/bytes_text.h"
#include "settings/key_names.h"

#include <cctype>

std::string FallbackKeyName() {
    return KeyCodeName(kFallbackActivationKey);
}

void CheckActivationKey(Checker& checker, const ParsedSettings& parsed) {
    const std::string& name = parsed.values[kActivationKey];
    if (KnownKeyCode(name)) return;
    if (checker.lostToCtrlZ[kActivationKey]) {
        checker.settingsLostToCtrlZ.push_back(SettingKeyNames[kActivationKey]);
        return;
    }
    const size_t line = checker.settingLines[kActivationKey];
    const std::string setting(SettingKeyNames[kActivationKey]);
    MissedSection* const lost = line == 0 ? checker.MissedWith(setting, false) : nullptr;
    if (lost != nullptr) {
        lost->settingsLost.push_back(SettingKeyNames[kActivationKey]);
        return;
    }
    if (line == 0) {
        checker.Warn(0, setting + " is not set, so the toggle key is " + FallbackKeyName(),
                     FindingKind::kSetting, kActivationKey);
        return;
    }
    std::string message = setting + " " + Quoted(name) +
                          " is not a key name the plug-in knows, so the toggle key falls back "
                          "to " +
                          FallbackKeyName() + "; use F1 to F12, one letter or one digit";
    std::string upper = name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (KnownKeyCode(upper)) message += " (names are case-sensitive: " + Quoted(upper) + ")";
    checker.Warn(line, std::move(message), FindingKind::kSetting, kActivationKey);
}
