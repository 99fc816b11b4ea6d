#include "check/check_rules.h"

#include "settings/key_names.h"
#include "settings_file/bytes_text.h"

#include <algorithm>
#include <optional>

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

// Whether the plug-in would read the file otherwise without its byte-order mark. With the mark,
// line 1 is never a header, an entry or a setting; without it, line 1 changes the reading when
// it sets what no later line sets again, or opens a section: only then is the file read again.
bool MarkChangesTheReading(const SettingsDocument& document) {
    if (document.lines.empty()) return false;
    bool inDictionary = false;
    const SettingsLine line =
        ClassifyLine(document.lines[0].text.substr(kUtf8ByteOrderMark.size()), 1, inDictionary);
    if (line.kind == LineKind::Header)
        return line.opensDictionary &&
               !SameReading(
                   document.parsed,
                   ParseSettings(
                       std::string_view(document.bytes).substr(kUtf8ByteOrderMark.size())));
    if (line.kind != LineKind::Setting || line.value.empty()) return false;
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        if (line.key == SettingKeyNames[key]) return document.settingLines[key] == 0;
    return false;
}

// Whatever follows the bytes the plug-in reads is lost, unless it is blank.
void CheckEndOfData(std::vector<CheckWarning>& findings, std::string_view bytes, size_t stop,
                    std::vector<SettingKey> lost) {
    if (bytes.find_first_not_of(" \t\r\n\x1A", stop) == std::string_view::npos) return;
    const size_t line = size_t(std::count(bytes.begin(), bytes.begin() + long(stop), '\n')) + 1;
    CheckWarning finding{line, FindingKind::kWholeFile, Trap::kCtrlZ};
    finding.lost = std::move(lost);
    findings.push_back(std::move(finding));
}

// The settings that the part after a Ctrl-Z byte would give, and the part before does not.
std::array<bool, kSettingKeyCount> LostToCtrlZ(const SettingsDocument& document) {
    std::array<bool, kSettingKeyCount> lost{};
    const ParsedSettings& parsed = document.parsed;
    // Only blanks after the Ctrl-Z: nothing is lost, and nothing needs reading again.
    if (document.bytes.find_first_not_of(" \t\r\n\x1A", parsed.bytesRead) == std::string::npos)
        return lost;
    std::string whole(document.bytes);
    std::erase(whole, '\x1A');
    std::array<bool, kSettingKeyCount> meantSet{};
    const ParsedSettings meant = ParseSettings(whole, [&](const SettingsLine& line) {
        for (size_t key = 0; key < kSettingKeyCount && line.kind == LineKind::Setting; ++key)
            meantSet[key] = meantSet[key] || line.key == SettingKeyNames[key];
    });
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        lost[key] = document.settingLines[key] == 0 && meantSet[key];
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            lost[setting.key] |=
                parsed.swap.*setting.resolved == 0 && meant.swap.*setting.resolved != 0;
        }
    }
    lost[kActivationKey] |=
        !KnownKeyCode(parsed.values[kActivationKey]) && KnownKeyCode(meant.values[kActivationKey]);
    return lost;
}

// The missed section of this kind with a line for `key` under it, or none.
std::optional<size_t> MissedWith(const LineFindings& lines, const std::string& key,
                                 bool meantDictionary) {
    const auto found = lines.missedKeys.find(key);
    if (found == lines.missedKeys.end()) return std::nullopt;
    if (lines.missedSections[found->second].meantDictionary != meantDictionary) return std::nullopt;
    return found->second;
}

} // namespace

SettingFates FatesOf(const SettingsDocument& document, const LineFindings& lines) {
    SettingFates fates;
    const ParsedSettings& parsed = document.parsed;
    const std::array<bool, kSettingKeyCount> lostToCtrlZ = LostToCtrlZ(document);
    const auto decide = [&](SettingKey key, bool usable, bool nameMissed) {
        if (usable) return;
        const std::string setting(SettingKeyNames[key]);
        std::optional<size_t> missed;
        if (lostToCtrlZ[key]) {
            fates.fate[key] = Fate::kLostToCtrlZ;
            return;
        }
        if (nameMissed) missed = MissedWith(lines, parsed.values[key], true);
        if (!missed && document.settingLines[key] == 0) missed = MissedWith(lines, setting, false);
        if (missed) {
            fates.fate[key] = Fate::kLostUnderHeader;
            fates.missedSection[key] = *missed;
        } else {
            fates.fate[key] = Fate::kOwnWarning;
        }
    };
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            // A name the dictionary holds with the hash 0 is told about on its own line.
            const bool defined = parsed.dictionary.count(parsed.values[setting.key]) != 0;
            if (defined && parsed.swap.*setting.resolved == 0 && !lostToCtrlZ[setting.key]) {
                fates.fate[setting.key] = Fate::kOwnWarning;
                continue;
            }
            decide(setting.key, parsed.swap.*setting.resolved != 0, true);
        }
    }
    decide(kActivationKey, KnownKeyCode(parsed.values[kActivationKey]).has_value(), false);
    return fates;
}

std::vector<CheckWarning> WholeFileFindings(const SettingsDocument& document,
                                            const LineFindings& lines, const SettingFates& fates) {
    std::vector<CheckWarning> findings;
    const std::string_view bytes = document.bytes;
    const ParsedSettings& parsed = document.parsed;
    std::vector<SettingKey> lostToCtrlZ;
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        if (fates.fate[key] == Fate::kLostToCtrlZ) lostToCtrlZ.push_back(SettingKey(key));
    CheckEndOfData(findings, bytes, parsed.bytesRead, std::move(lostToCtrlZ));
    if (bytes.starts_with(kUtf8ByteOrderMark) && !lines.byteOrderMarkReported &&
        MarkChangesTheReading(document)) {
        findings.push_back({1, FindingKind::kWholeFile, Trap::kByteOrderMark});
    }
    return findings;
}

std::vector<CheckWarning> UnreadableFindings(const SettingsDocument& document) {
    const std::string_view bytes = document.bytes;
    if (bytes.find_first_not_of(" \t\r\n\v\f\x1A") == std::string_view::npos)
        return {{0, FindingKind::kUnreadable, Trap::kEmptyFile}};
    // A file saved as UTF-16 gives the plug-in neither a dictionary entry nor a setting.
    const bool readNothing = document.parsed.dictionary.empty() &&
                             std::all_of(document.settingLines.begin(), document.settingLines.end(),
                                         [](size_t line) { return line == 0; });
    if (readNothing && LooksLikeUtf16(bytes))
        return {{1, FindingKind::kUnreadable, Trap::kUtf16File}};
    return {};
}
