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

} // namespace

void Checker::Observe(const SettingsLine& line) {
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
void Checker::ObserveHeader(const SettingsLine& line) {
    inDictionary = line.opensDictionary;
    inMissedSection = false;
    if (line.opensDictionary) {
        currentSection = DictionarySectionOf(line.text);
        return;
    }
    const auto similar = std::find_if(
        DictionaryHeaders.begin(), DictionaryHeaders.end(),
        [&](std::string_view header) { return ContainsIgnoringCase(line.text, header); });
    if (similar == DictionaryHeaders.end()) return;
    const std::string hint = "headers are case-sensitive: write " + Quoted(*similar);
    MissHeader(line.number, Quoted(line.text) + " opens no dictionary section (" + hint + ")",
               true);
}

void Checker::ObserveSkippedLine(const SettingsLine& line) {
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
            byteOrderMarkReported = true;
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

void Checker::ObserveUnknownSetting(const SettingsLine& line) {
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

void Checker::ObserveSetting(const SettingsLine& line) {
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

void Checker::ObserveDictionaryEntry(const SettingsLine& line) {
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
    definitions[key] = {currentSection, line.number};
}

void ReportMissedSections(Checker& checker) {
    for (const MissedSection& section : checker.missedSections) {
        if (section.ignoredLines == 0) continue; // read as meant after all
        std::string message = section.problem;
        message += "; the " + CountOf(section.ignoredLines, "line", "lines") + " under it " +
                   (section.ignoredLines == 1 ? "is" : "are") +
                   (section.meantDictionary ? " read as settings and ignored"
                                            : " read as dictionary entries");
        for (size_t i = 0; i < section.settingsLost.size(); ++i) {
            message += i == 0 ? ", so " : " and ";
            message += section.settingsLost[i];
        }
        if (!section.settingsLost.empty()) {
            const bool one = section.settingsLost.size() == 1;
            message += section.meantDictionary ? (one ? " resolves to 0" : " resolve to 0")
                                               : (one ? " is not set" : " are not set");
        }
        checker.Warn(section.line, std::move(message), FindingKind::kHeader);
    }
}
