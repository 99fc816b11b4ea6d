#include "inspect/edit_setting.h"

#include "inspect/bytes_text.h"
#include "inspect/dictionary_names.h"
#include "inspect/suggest.h"
#include "settings/key_names.h"
#include "settings/parse_settings.h"
#include "swap/byte_rarity.h"

#include <algorithm>
#include <cctype>

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

Insertion PlaceForMissingSetting(std::string_view bytes, const ParsedSettings& parsed) {
    size_t lastSettingBeforeDictionary = 0, firstSettingsHeader = 0;
    bool dictionarySeen = false;
    ParseSettings(bytes, [&](const SettingsLine& line) {
        if (line.kind == LineKind::Header) {
            dictionarySeen = dictionarySeen || line.opensDictionary;
            if (!line.opensDictionary && firstSettingsHeader == 0)
                firstSettingsHeader = line.number;
        }
        if (line.kind == LineKind::Setting && !dictionarySeen)
            lastSettingBeforeDictionary = line.number;
    });
    const size_t after =
        lastSettingBeforeDictionary ? lastSettingBeforeDictionary : firstSettingsHeader;
    if (after == 0) return {parsed.bytesRead, true, "in a new [Settings] section at the end"};
    const size_t next = LineStart(bytes, after + 1);
    return {next == 0 ? parsed.bytesRead : std::min(next, parsed.bytesRead), false,
            "after line " + std::to_string(after)};
}

// The file with `key` set to `value`, and where, in words; or "" with the reason in `why`.
std::string Edited(std::string_view bytes, SettingKey key, std::string_view value,
                   std::string& where, std::string& why) {
    const ParsedSettings parsed = ParseSettings(bytes);
    size_t number = 0;
    ParseSettings(bytes, [&](const SettingsLine& line) {
        if (line.kind == LineKind::Setting && line.key == SettingKeyNames[key])
            number = line.number;
    });
    std::string edited(bytes);
    const std::string setting = std::string(SettingKeyNames[key]) + "=" + std::string(value);
    if (number != 0) {
        const size_t start = LineStart(bytes, number);
        size_t end = std::min(bytes.find('\n', start), parsed.bytesRead);
        if (end > start && end < bytes.size() && bytes[end] == '\n' && bytes[end - 1] == '\r')
            --end;
        edited.replace(start, end - start, WithValue(bytes.substr(start, end - start), value));
        where = "line " + std::to_string(number) + " (it was " + Quoted(parsed.values[key]) + ")";
    } else {
        const Insertion place = PlaceForMissingSetting(bytes, parsed);
        const std::string eol = bytes.find("\r\n") == std::string_view::npos ? "\n" : "\r\n";
        std::string lines = (place.needsHeader ? "[Settings]" + eol : "") + setting + eol;
        if (place.at > 0 && bytes[place.at - 1] != '\n') lines = eol + lines;
        edited.insert(place.at, lines);
        where = "a new line " + place.where + " (it was not set)";
    }
    // The plug-in's own reading decides: a ";" would start a comment, a line break end the
    // line, blanks around the value be trimmed.
    const ParsedSettings reread = ParseSettings(edited);
    auto others = reread.values, before = parsed.values;
    others[key] = before[key] = "";
    if (reread.values[key] != value || others != before || reread.dictionary != parsed.dictionary) {
        why = "no settings line can hold " + Quoted(value) +
              " so that the plug-in reads it back whole (a \";\" starts a comment, blanks "
              "around it are trimmed)";
        return "";
    }
    return edited;
}

// Why the plug-in could not use `value` for `key`, or "" when it can.
std::string Refusal(std::string_view bytes, SettingKey key, const std::string& value) {
    if (key == kActivationKey) {
        if (KnownKeyCode(value)) return "";
        std::string why = "the plug-in knows no key named " + Quoted(value) +
                          " (it would fall back to F5); use F1 to F12, one letter or one digit";
        std::string upper = value;
        for (char& c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        if (KnownKeyCode(upper)) why += ": names are case-sensitive, so write " + Quoted(upper);
        return why;
    }
    const auto pair = std::find_if(SwapPairs.begin(), SwapPairs.end(), [&](const SwapPair& p) {
        return p.oldSetting.key == key || p.newSetting.key == key;
    });
    const size_t section = size_t(pair - SwapPairs.begin());
    const std::string list = "`ostrevane list " + std::string(SwapPairs[section].word) +
                             "` lists the names under " + std::string(DictionaryHeaders[section]);
    const std::vector<DictionaryName> names = DictionaryNames(bytes);
    const DictionaryName* entry = FindName(names, value);
    if (entry == nullptr) {
        std::vector<std::string_view> candidates;
        for (const DictionaryName& name : names) {
            if (name.section == section) candidates.push_back(name.name);
        }
        std::string why = Quoted(value) + " is not in the dictionary";
        if (IsNumberLiteral(value)) {
            // A hash copied from a subtitle or the dictionary: its name is what a setting takes.
            const uint32_t hash = ParseHash(value);
            for (const DictionaryName& name : names) {
                if (name.section != section || name.hash != hash) continue;
                return why + ": settings take a name, and the dictionary calls " + HexHash(hash) +
                       " " + Quoted(name.name) + "; `ostrevane set " +
                       std::string(SettingKeyNames[key]) + " " + name.name + "` chooses it";
            }
            return why + ": settings take a name, not a hash, and no name under " +
                   std::string(DictionaryHeaders[section]) + " has the hash " + HexHash(hash) +
                   "; " + list;
        }
        const std::string_view closest = ClosestName(value, candidates);
        if (!closest.empty()) return why + "; did you mean " + Quoted(closest) + "? " + list;
        return why + "; " + list;
    }
    const std::string line = "line " + std::to_string(entry->line);
    const std::string at = " (" + line + ")";
    if (entry->section != section) {
        return Quoted(value) + " is " + std::string(SwapPairs[entry->section].items) + " (under " +
               std::string(DictionaryHeaders[entry->section]) + ", " + line + "), but " +
               std::string(SettingKeyNames[key]) + " takes " +
               std::string(SwapPairs[section].items) +
               ": both names of a pair come from one section, or the game reads one kind of "
               "item where it expects another; " +
               list;
    }
    if (entry->hash == 0) {
        return Quoted(value) + " has the hash 0" + at + ", so the " + std::string(pair->name) +
               " pair would be skipped; " + list;
    }
    if (IsCommonInMemory(entry->hash)) {
        return Quoted(value) + " has the hash " + HexHash(entry->hash) + at +
               ", a value ordinary memory is full of (small numbers, floats such as 1.0), so "
               "the swap would rewrite it in countless places that are not the item and "
               "corrupt the game's data; give the item its own hash";
    }
    return "";
}

} // namespace

SettingEdit EditSetting(std::string_view fileBytes, SettingKey key, std::string_view value) {
    SettingEdit edit;
    edit.refusal = Refusal(fileBytes, key, std::string(value));
    if (edit.refusal.empty()) edit.edited = Edited(fileBytes, key, value, edit.where, edit.refusal);
    return edit;
}
