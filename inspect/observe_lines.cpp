#include "inspect/checker.h"

#include "inspect/bytes_text.h"
#include "inspect/report_text.h"
#include "inspect/suggest.h"

#include <algorithm>
#include <cctype>

namespace {

// What a person reads as indentation before a "[", which the loader does not skip.
constexpr std::string_view kIndentation = " \t\n\v\f\r";

// Why a dictionary value is not a plain hexadecimal or decimal number, or "" when it is.
// Blanks before the number are no trap: the loader skips them as the writer expects.
std::string NumberTrap(std::string_view value) {
    const HashReading reading = ReadHash(value);
    const std::string read = HexHash(reading.value);
    if (reading.digitsEnd == reading.digitsBegin)
        return "holds no number, so it is read as " + read;
    if (reading.digitsEnd < value.size()) return "is read only as far as it parses: " + read;
    if (reading.base == 8 && reading.digitsEnd - reading.digitsBegin > 1) {
        return "starts with 0, so it is read as octal: " + read;
    }
    if (reading.saturated) return "does not fit in 32 bits, so it is read as " + read;
    if (reading.negative) return "is negative, so it is read as " + read;
    return "";
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

    void Warn(size_t line, std::string message, FindingKind kind,
              SettingKey setting = SettingKey(kSettingKeyCount)) {
        found.warnings.push_back({line, std::move(message), kind, setting});
    }

    void MissHeader(size_t line, std::string problem, bool meantDictionary) {
        found.missedSections.push_back({line, std::move(problem), meantDictionary, 0});
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
    const std::string hint = "headers are case-sensitive: write " + Quoted(*similar);
    MissHeader(line.number, Quoted(line.text) + " opens no dictionary section (" + hint + ")",
               true);
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
            MissHeader(line.number,
                       "the file starts with a byte-order mark (saved as \"UTF-8 with "
                       "BOM\"), so the plug-in does not read " +
                           Quoted(text) +
                           " as a header; save the file as UTF-8 without BOM, or as ANSI",
                       meantDictionary);
        } else {
            MissHeader(line.number,
                       Quoted(line.text) + " is indented, so the plug-in does not read it "
                                           "as a header: remove the blanks before \"[\"",
                       meantDictionary);
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
            Warn(line.number,
                 Quoted(line.text) + " has no \"=\", so the plug-in skips it like a comment",
                 FindingKind::kSkippedLine, SettingKey(&key - SettingKeyNames.data()));
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
        Warn(line.number,
             Quoted(line.text) + " looks like a dictionary entry, but it stands in a settings "
                                 "section, so the plug-in ignores it",
             FindingKind::kSkippedLine);
        return;
    }
    std::string message = Quoted(line.key) + " is not one of the " + NumberWord(kSettingKeyCount) +
                          " settings, so the plug-in ignores this line";
    const std::string_view closest = ClosestName(line.key, SettingKeyNames);
    if (!closest.empty()) {
        message += "; did you mean " + Quoted(closest) + "?";
    } else {
        message += " (" + Listed(SettingKeyNames) + ")";
    }
    Warn(line.number, std::move(message), FindingKind::kSkippedLine);
}

void LineObserver::ObserveSetting(const SettingsLine& line) {
    for (size_t k = 0; k < kSettingKeyCount; ++k) {
        if (line.key != SettingKeyNames[k]) continue;
        if (settingLines[k] != 0) {
            Warn(line.number,
                 std::string(line.key) + " is set again (first on line " +
                     std::to_string(settingLines[k]) + "): only this later value is used",
                 FindingKind::kSetting, SettingKey(k));
        }
        settingLines[k] = line.number;
    }
}

void LineObserver::ObserveDictionaryEntry(const SettingsLine& line) {
    const std::string key(line.key);
    if (inMissedSection) MissLine(line);
    std::string trap = inMissedSection ? "" : NumberTrap(line.value);
    if (!trap.empty()) {
        std::string message = "the value " + Quoted(line.value) + " of " + Quoted(key) + " " + trap;
        if (!key.empty() && key.front() == ';') {
            message += " (a comment line that holds \"=\" is read as a dictionary entry)";
        }
        Warn(line.number, std::move(message), FindingKind::kDictionary);
    }
    const auto [earlier, isNew] = dictionaryLines.emplace(key, line.number);
    if (!isNew) {
        const uint32_t before = dictionaryValues[key];
        Warn(line.number,
             Quoted(key) + " is defined twice (first on line " + std::to_string(earlier->second) +
                 "): " +
                 (before == line.hash
                      ? std::string("both give ") + HexHash(line.hash)
                      : "this later " + HexHash(line.hash) + " replaces " + HexHash(before)),
             FindingKind::kDictionary);
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
        std::vector<std::string_view> settingsLost;
        for (size_t key = 0; key < kSettingKeyCount; ++key) {
            if (fates.fate[key] == Fate::kLostUnderHeader && fates.missedSection[key] == index)
                settingsLost.push_back(SettingKeyNames[key]);
        }
        std::string message = section.problem;
        message += "; the " + CountOf(section.ignoredLines, "line", "lines") + " under it " +
                   (section.ignoredLines == 1 ? "is" : "are") +
                   (section.meantDictionary ? " read as settings and ignored"
                                            : " read as dictionary entries");
        for (size_t i = 0; i < settingsLost.size(); ++i) {
            message += i == 0 ? ", so " : " and ";
            message += settingsLost[i];
        }
        if (!settingsLost.empty()) {
            const bool one = settingsLost.size() == 1;
            message += section.meantDictionary ? (one ? " resolves to 0" : " resolve to 0")
                                               : (one ? " is not set" : " are not set");
        }
        findings.push_back({section.line, std::move(message), FindingKind::kHeader});
    }
    return findings;
}
