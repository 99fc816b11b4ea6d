#include "inspect/checker.h"

#include "inspect/bytes_text.h"
#include "settings/key_names.h"

#include <cctype>

std::string FallbackKeyName() {
    return KeyCodeName(kFallbackActivationKey);
}

std::vector<CheckWarning> KeyFindings(const SettingsDocument& document, const SettingFates& fates) {
    if (fates.fate[kActivationKey] != Fate::kOwnWarning) return {};
    const std::string& name = document.parsed.values[kActivationKey];
    const size_t line = document.settingLines[kActivationKey];
    const std::string setting(SettingKeyNames[kActivationKey]);
    if (line == 0) {
        return {{0, setting + " is not set, so the toggle key is " + FallbackKeyName(),
                 FindingKind::kSetting, kActivationKey}};
    }
    std::string message = setting + " " + Quoted(name) +
                          " is not a key name the plug-in knows, so the toggle key falls back "
                          "to " +
                          FallbackKeyName() + "; use F1 to F12, one letter or one digit";
    std::string upper = name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (KnownKeyCode(upper)) message += " (names are case-sensitive: " + Quoted(upper) + ")";
    return {{line, std::move(message), FindingKind::kSetting, kActivationKey}};
}
