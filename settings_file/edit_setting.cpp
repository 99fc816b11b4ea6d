#include "settings_file/edit_setting.h"

#include "settings/key_names.h"
#include "settings/parse_settings.h"
#include "settings_file/bytes_text.h"
#include "settings_file/plugin_reading.h"
#include "settings_file/suggest.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// The offset of line `number` (1-based) in the raw bytes: the text-mode reading drops only
// the CR of a CR LF, so lines begin after the same line feeds there.
size_t LineStart(std::string_view bytes, size_t number) {
    size_t start = 0;
    for (size_t line = 1; line < number; ++line)
        start = bytes.find('\n', start) + 1;
    return start;
}

// The line with `value` in place of the old one. The blanks before a trailing comment
// grow or shrink so the comment keeps its column; every other byte stays.
std::string WithValue(std::string_view line, std::string_view value) {
    const size_t equals = line.find('=');
    const size_t comment = std::min(line.find(';', equals), line.size());
    const std::string_view region = line.substr(0, comment);
    size_t begin = region.find_first_not_of(kTrimmedBlanks, equals + 1);
    size_t end =
        begin == std::string_view::npos ? equals + 1 : region.find_last_not_of(kTrimmedBlanks) + 1;
    if (begin == std::string_view::npos) begin = end;
    std::string padding(region.substr(end));
    const bool onlySpaces = padding.find_first_not_of(' ') == std::string::npos;
    if (comment < line.size() && onlySpaces) {
        const size_t least = padding.empty() ? 0 : 1;
        const size_t room = padding.size() + (end - begin);
        padding.assign(std::max(least, room > value.size() ? room - value.size() : 0), ' ');
    }
    return std::string(line.substr(0, begin)) + std::string(value) + padding +
           std::string(line.substr(comment));
}

// Where the plug-in reads a setting from in a file that lacks it.
struct Insertion {
    size_t at;         // byte offset
    bool needsHeader;  // no settings section yet: "[Settings]" goes first
    std::string where; // for the player
};

Insertion PlaceForMissingSetting(const SettingsDocument& document) {
    size_t lastSettingBeforeDictionary = 0, firstSettingsHeader = 0;
    bool dictionarySeen = false;
    for (const SettingsLine& line : document.lines) {
        if (line.kind == LineKind::Header) {
            dictionarySeen = dictionarySeen || line.opensDictionary;
            if (!line.opensDictionary && firstSettingsHeader == 0)
                firstSettingsHeader = line.number;
        }
        if (line.kind == LineKind::Setting && !dictionarySeen)
            lastSettingBeforeDictionary = line.number;
    }
    const size_t bytesRead = document.parsed.bytesRead;
    const size_t after =
        lastSettingBeforeDictionary ? lastSettingBeforeDictionary : firstSettingsHeader;
    if (after == 0) return {bytesRead, true, "in a new [Settings] section at the end"};
    const size_t next = LineStart(document.bytes, after + 1);
    return {next == 0 ? bytesRead : std::min(next, bytesRead), false,
            "after line " + std::to_string(after)};
}

// Rewrites, in `edited` (the document's bytes, or those with edits only on later lines), the
// value on the line that sets `key`.
void EditLine(std::string& edited, const SettingsDocument& document, SettingKey key,
              std::string_view value) {
    const std::string_view bytes = document.bytes;
    const size_t start = LineStart(bytes, document.settingLines[key]);
    size_t end = std::min(bytes.find('\n', start), document.parsed.bytesRead);
    if (end > start && end < bytes.size() && bytes[end] == '\n' && bytes[end - 1] == '\r') --end;
    edited.replace(start, end - start, WithValue(bytes.substr(start, end - start), value));
}

// Whether `reread` reads each setting of `values` back whole, and every other setting and the
// dictionary as `before` does.
bool ReadsBack(const ParsedSettings& before, const ParsedSettings& reread,
               const std::array<std::optional<std::string>, kSettingKeyCount>& values) {
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        const std::string& expected = values[key] ? *values[key] : before.values[key];
        if (reread.values[key] != expected) return false;
    }
    return reread.dictionary == before.dictionary;
}

// The file with `key` set to `value`, and where, in words; refused when the plug-in would not
// read the value back whole.
SettingEdit Edited(const SettingsDocument& document, SettingKey key, std::string_view value) {
    const std::string_view bytes = document.bytes;
    const ParsedSettings& parsed = document.parsed;
    const size_t number = document.settingLines[key];
    SettingEdit edit;
    std::string edited(bytes);
    const std::string setting = std::string(SettingKeyNames[key]) + "=" + std::string(value);
    if (number != 0) {
        EditLine(edited, document, key, value);
        edit.where =
            "line " + std::to_string(number) + " (it was " + Quoted(parsed.values[key]) + ")";
    } else {
        const Insertion place = PlaceForMissingSetting(document);
        const std::string eol = bytes.find("\r\n") == std::string_view::npos ? "\n" : "\r\n";
        std::string lines = (place.needsHeader ? "[Settings]" + eol : "") + setting + eol;
        if (place.at > 0 && bytes[place.at - 1] != '\n') lines = eol + lines;
        edited.insert(place.at, lines);
        edit.where = "a new line " + place.where + " (it was not set)";
    }
    // The plug-in's own reading decides: a ";" would start a comment, a line break end the
    // line, blanks around the value be trimmed.
    edit.document = ReadDocument(std::move(edited));
    std::array<std::optional<std::string>, kSettingKeyCount> values;
    values[key] = value;
    if (!ReadsBack(parsed, edit.document.parsed, values)) {
        edit.refusal.kind = RefusalKind::kCannotHold;
        edit.refusal.key = key;
        edit.refusal.value = value;
        edit.document = {};
        edit.where.clear();
    }
    return edit;
}

} // namespace

SettingRefusal RefusalOf(const SettingsDocument& document, SettingKey key, std::string_view value) {
    SettingRefusal refusal;
    refusal.key = key;
    refusal.value = value;
    if (key == kActivationKey) {
        if (KnownKeyCode(refusal.value)) return refusal;
        refusal.kind = RefusalKind::kUnknownKey;
        std::string upper(value);
        for (char& c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        if (KnownKeyCode(upper)) refusal.suggestion = upper;
        return refusal;
    }
    refusal.pair = size_t(key) / 2;
    const SettingReading reading = ReadSetting(document, refusal.pair, value);
    refusal.line = reading.line;
    switch (reading.source) {
    case NameSource::kNotSet:
    case NameSource::kNotFound: {
        std::vector<std::string_view> candidates;
        for (const DictionaryName& name : document.names) {
            if (name.section == refusal.pair) candidates.push_back(name.name);
        }
        refusal.kind = RefusalKind::kNotInDictionary;
        refusal.suggestion = ClosestName(value, candidates);
        return refusal;
    }
    case NameSource::kNumber:
        refusal.kind = RefusalKind::kNumber;
        refusal.hash = ParseHash(value);
        // A hash copied from a subtitle or the dictionary: its name is what a setting takes.
        if (reading.nameOfNumberSection == refusal.pair) refusal.suggestion = reading.nameOfNumber;
        return refusal;
    case NameSource::kOtherSection:
        refusal.kind = RefusalKind::kOtherSection;
        refusal.nameSection = reading.section;
        return refusal;
    case NameSource::kOwnSection:
        break;
    }
    refusal.hash = reading.hash;
    if (reading.hash == 0) {
        refusal.kind = RefusalKind::kHashZero;
    } else if (reading.commonInMemory) {
        refusal.kind = RefusalKind::kCommonHash;
    }
    return refusal;
}

SettingEdit EditSetting(const SettingsDocument& document, SettingKey key, std::string_view value) {
    SettingEdit edit;
    edit.refusal = RefusalOf(document, key, value);
    if (!edit.refusal) edit = Edited(document, key, value);
    return edit;
}

SettingsEdit EditSettings(const SettingsDocument& document,
                          const std::array<std::optional<std::string>, kSettingKeyCount>& values) {
    SettingsEdit result;
    std::array<std::optional<std::string>, kSettingKeyCount> onTheirLines, added;
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (!values[key]) continue;
        result.refusals[key] = RefusalOf(document, SettingKey(key), *values[key]);
        if (result.refusals[key]) continue;
        (document.settingLines[key] != 0 ? onTheirLines : added)[key] = values[key];
    }
    // A value rewritten on its own line moves no other line, so all of them are made at once,
    // from the last line up, and read back in one reading.
    std::vector<size_t> byLine;
    for (size_t key = 0; key < kSettingKeyCount; ++key)
        if (onTheirLines[key]) byLine.push_back(key);
    std::sort(byLine.begin(), byLine.end(), [&](size_t a, size_t b) {
        return document.settingLines[a] > document.settingLines[b];
    });
    result.document = document;
    if (!byLine.empty()) {
        std::string edited = document.bytes;
        for (const size_t key : byLine)
            EditLine(edited, document, SettingKey(key), *onTheirLines[key]);
        result.document = ReadDocument(std::move(edited));
        if (!ReadsBack(document.parsed, result.document.parsed, onTheirLines)) {
            // One of them cannot be read back whole: one at a time, to tell which.
            result.document = document;
            for (const size_t key : byLine)
                added[key] = onTheirLines[key];
        }
    }
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (!added[key]) continue;
        SettingEdit edit = EditSetting(result.document, SettingKey(key), *added[key]);
        if (edit.refusal) {
            result.refusals[key] = std::move(edit.refusal);
        } else {
            result.document = std::move(edit.document);
        }
    }
    return result;
}
