#include "check/check_rules.h"

#include "settings/key_names.h"
#include "settings_file/bytes_text.h"

#include <cctype>

std::string FallbackKeyName() {
    return KeyCodeName(kFallbackActivationKey);
}

std::vector<CheckWarning> KeyFindings(const SettingsDocument& document, const SettingFates& fates) {
    if (fates.fate[kActivationKey] != Fate::kOwnWarning) return {};
    const size_t line = document.settingLines[kActivationKey];
    if (line == 0) return {{0, FindingKind::kSetting, Trap::kNotSet, kActivationKey}};
    CheckWarning finding{line, FindingKind::kSetting, Trap::kUnknownKey, kActivationKey};
    finding.name = document.parsed.values[kActivationKey];
    std::string upper = finding.name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (KnownKeyCode(upper)) finding.suggestion = upper;
    return {finding};
}
