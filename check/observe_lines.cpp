#include "check/check_rules.h"

#include "settings_file/bytes_text.h"
#include "settings_file/suggest.h"

#include <algorithm>
#include <cctype>

namespace {

// What a person reads as indentation before a "[", which the loader does not skip.
constexpr std::string_view kIndentation = " \t\n\v\f\r";

// Why a dictionary value is not a plain hexadecimal or decimal number, or kNone when it is.
// Blanks before the number are no trap: the loader skips them as the writer expects.
NumberTrap NumberTrapOf(const HashReading& reading, size_t size) {
    if (reading.digitsEnd == reading.digitsBegin) return NumberTrap::kNoNumber;
    if (reading.digitsEnd < size) return NumberTrap::kReadInPart;
    if (reading.base == 8 && reading.digitsEnd - reading.digitsBegin > 1) return NumberTrap::kOctal;
    if (reading.saturated) return NumberTrap::kTooLarge;
    if (reading.negative) return NumberTrap::kNegative;
    return NumberTrap::kNone;
}

// The plug-in's reading followed line by line: what each line costs, and the headers it
// misses. Its state lives for one document's reading.
struct LineObserver {
    bool startsWithByteOrderMark = false;
    bool inDictionary = false;
    bool inMissedSection = false;
    std::array<size_t, kSettingKeyCount> settingLines{};
    std::unordered_map<std::string, size_t> dictionaryLines;
    std::unordered_map<std::string, uint32_t> dictionaryValues;
    LineFindings found;

    CheckWarning& Warn(size_t line, FindingKind kind, Trap trap,
                       SettingKey setting = SettingKey(kSettingKeyCount)) {
        return found.warnings.emplace_back(CheckWarning{line, kind, trap, setting});
    }

    void MissHeader(size_t line, Trap why, std::string_view header, bool meantDictionary,
                    std::string_view meant = {}) {
        found.missedSections.push_back(
            {line, why, std::string(header), std::string(meant), meantDictionary, 0});
        inMissedSection = true;
    }

    // A line read in the wrong kind of section because of the last missed header.
    void MissLine(const SettingsLine& line) {
        found.missedSections.back().ignoredLines++;
        found.missedKeys.emplace(std::string(line.key), found.missedSections.size() - 1);
    }

    void Observe(const SettingsLine& line);
    void ObserveHeader(const SettingsLine& line);
    void ObserveSkippedLine(const SettingsLine& line);
    void ObserveUnknownSetting(const SettingsLine& line);
    void ObserveSetting(const SettingsLine& line);
    void ObserveDictionaryEntry(const SettingsLine& line);
};

void LineObserver::Observe(const SettingsLine& line) {
    switch (line.kind) {
    case LineKind::Empty:
        break;
    case LineKind::Header:
        ObserveHeader(line);
        break;
    case LineKind::NoEquals:
        ObserveSkippedLine(line);
        break;
    case LineKind::UnknownSetting:
        ObserveUnknownSetting(line);
        break;
    case LineKind::Setting:
        ObserveSetting(line);
        break;
    case LineKind::DictionaryEntry:
        ObserveDictionaryEntry(line);
        break;
    }
}

// Any header that opens no dictionary opens a settings section, which is what the writer
// meant unless it looks like a dictionary header spelt in the wrong case.
void LineObserver::ObserveHeader(const SettingsLine& line) {
    inDictionary = line.opensDictionary;
    inMissedSection = false;
    if (line.opensDictionary) return;
    const auto similar = std::find_if(
        DictionaryHeaders.begin(), DictionaryHeaders.end(),
        [&](std::string_view header) { return ContainsIgnoringCase(line.text, header); });
    if (similar == DictionaryHeaders.end()) return;
    MissHeader(line.number, Trap::kHeaderCase, line.text, true, *similar);
}

void LineObserver::ObserveSkippedLine(const SettingsLine& line) {
    std::string_view text = line.text;
    const bool byteOrderMark = line.number == 1 && startsWithByteOrderMark;
    if (byteOrderMark) text.remove_prefix(kUtf8ByteOrderMark.size());
    const size_t first = text.find_first_not_of(kIndentation);
    if (first == std::string_view::npos) return;
    text.remove_prefix(first);

    if (text.front() == '[') {
        // Missing a header loses nothing when it would open the kind of section the
        // plug-in is reading anyway: the dictionary is one, and so are the settings.
        const bool meantDictionary = OpensDictionary(text);
        if (meantDictionary == inDictionary) return;
        if (byteOrderMark) {
            found.byteOrderMarkReported = true;
            MissHeader(line.number, Trap::kHeaderByteOrderMark, text, meantDictionary);
        } else {
            MissHeader(line.number, Trap::kHeaderIndented, line.text, meantDictionary);
        }
        return;
    }
    if (inDictionary) return;
    // "oldshake sky_diving_shake": meant as a setting, skipped like a comment.
    for (const std::string_view& key : SettingKeyNames) {
        const bool startsWithKey = text.substr(0, key.size()) == key &&
                                   (text.size() == key.size() ||
                                    !std::isalnum(static_cast<unsigned char>(text[key.size()])));
        if (startsWithKey) {
            Warn(line.number, FindingKind::kSkippedLine, Trap::kNoEquals,
                 SettingKey(&key - SettingKeyNames.data()))
                .text = line.text;
            return;
        }
    }
}

void LineObserver::ObserveUnknownSetting(const SettingsLine& line) {
    if (inMissedSection) {
        MissLine(line);
        return;
    }
    if (IsNumberLiteral(line.value) && line.value.size() > 2 && (line.value[1] | 0x20) == 'x') {
        Warn(line.number, FindingKind::kSkippedLine, Trap::kEntryInSettings).text = line.text;
        return;
    }
    CheckWarning& finding = Warn(line.number, FindingKind::kSkippedLine, Trap::kUnknownSetting);
    finding.name = line.key;
    finding.suggestion = ClosestName(line.key, SettingKeyNames);
}

void LineObserver::ObserveSetting(const SettingsLine& line) {
    for (size_t k = 0; k < kSettingKeyCount; ++k) {
        if (line.key != SettingKeyNames[k]) continue;
        if (settingLines[k] != 0) {
            Warn(line.number, FindingKind::kSetting, Trap::kSetAgain, SettingKey(k)).firstLine =
                settingLines[k];
        }
        settingLines[k] = line.number;
    }
}

void LineObserver::ObserveDictionaryEntry(const SettingsLine& line) {
    const std::string key(line.key);
    if (inMissedSection) MissLine(line);
    const HashReading reading = ReadHash(line.value);
    const NumberTrap trap =
        inMissedSection ? NumberTrap::kNone : NumberTrapOf(reading, line.value.size());
    if (trap != NumberTrap::kNone) {
        CheckWarning& finding = Warn(line.number, FindingKind::kDictionary, Trap::kDictionaryValue);
        finding.name = key;
        finding.text = line.value;
        finding.number = trap;
        finding.hash = reading.value;
        finding.commentLine = !key.empty() && key.front() == ';';
    }
    const auto [earlier, isNew] = dictionaryLines.emplace(key, line.number);
    if (!isNew) {
        CheckWarning& finding = Warn(line.number, FindingKind::kDictionary, Trap::kDefinedTwice);
        finding.name = key;
        finding.firstLine = earlier->second;
        finding.earlierHash = dictionaryValues[key];
        finding.hash = line.hash;
    }
    dictionaryValues[key] = line.hash;
}

} // namespace

LineFindings ObserveLines(const SettingsDocument& document) {
    LineObserver observer;
    observer.startsWithByteOrderMark = document.bytes.starts_with(kUtf8ByteOrderMark);
    for (const SettingsLine& line : document.lines)
        observer.Observe(line);
    return std::move(observer.found);
}

std::vector<CheckWarning> MissedSectionFindings(const LineFindings& lines,
                                                const SettingFates& fates) {
    std::vector<CheckWarning> findings;
    for (size_t index = 0; index < lines.missedSections.size(); ++index) {
        const MissedSection& section = lines.missedSections[index];
        if (section.ignoredLines == 0) continue; // read as meant after all
        CheckWarning finding{section.line, FindingKind::kHeader, section.why};
        finding.text = section.header;
        finding.suggestion = section.meant;
        finding.meantDictionary = section.meantDictionary;
        finding.ignoredLines = section.ignoredLines;
        for (size_t key = 0; key < kSettingKeyCount; ++key) {
            if (fates.fate[key] == Fate::kLostUnderHeader && fates.missedSection[key] == index)
                finding.lost.push_back(SettingKey(key));
        }
        findings.push_back(std::move(finding));
    }
    return findings;
}
