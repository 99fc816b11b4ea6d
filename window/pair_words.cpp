#include "window/pair_words.h"

#include "inspect/bytes_text.h"
#include "inspect/suggest.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string Items(size_t section) {
    return std::string(SwapPairs[section].items);
}

std::string Capitalised(std::string text) {
    if (!text.empty()) text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

std::string Under(size_t section, size_t line) {
    return "under " + std::string(DictionaryHeaders[section]) + ", line " + std::to_string(line);
}

// The file lines its comments up in columns of blanks, which a label has no room for.
std::string Tidy(std::string_view comment) {
    std::string tidy;
    size_t blanks = 0;
    for (const char c : comment) {
        if (c == ' ' || c == '\t') {
            ++blanks;
            continue;
        }
        tidy.append(std::min<size_t>(blanks, 2), ' ');
        blanks = 0;
        tidy += c;
    }
    return tidy;
}

// The side of a pair that reads as 0, which is why the plug-in skips it.
std::string SkippedSide(const PairReading& pair, size_t index) {
    const SwapPair& swap = SwapPairs[index];
    return SettingLabel(pair.before.hash == 0 ? swap.oldSetting.key : swap.newSetting.key);
}

} // namespace

SettingKey OtherSide(SettingKey key) {
    return SettingKey(size_t(key) ^ 1);
}

std::string PairLabel(size_t pair) {
    return Capitalised(std::string(SwapPairs[pair].name));
}

std::string RowLabel(size_t row) {
    if (row < kPairCount) return PairLabel(row);
    return row == kPairCount ? "Toggle key" : "The file as a whole";
}

std::string SettingLabel(SettingKey key) {
    if (key == kActivationKey) return "the toggle key";
    const std::string name(SwapPairs[key / 2].name);
    return key % 2 == 0 ? "the " + name + " to replace" : "the " + name + "'s replacement";
}

std::string SettingsListed(const std::vector<SettingKey>& keys) {
    std::string text;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) text += i + 1 == keys.size() ? " and " : ", ";
        text += SettingLabel(keys[i]);
    }
    return text;
}

std::string CommentText(const SettingsDocument& document, SettingKey key,
                        const SettingReading& reading, std::string_view otherSide) {
    const size_t pair = size_t(key) / 2;
    const std::string skips = "the plug-in reads 0 and skips this pair.";
    switch (reading.source) {
    case NameSource::kOwnSection: {
        if (reading.hash == 0) return "Its hash is 0 in the dictionary: " + skips;
        const DictionaryName* name = FindName(document, reading.value);
        return name == nullptr || name->comment.empty() ? "(no comment in the file)"
                                                        : Tidy(name->comment);
    }
    case NameSource::kOtherSection:
        return "Not " + Items(pair) + " but " + Items(reading.section) + " (" +
               Under(reading.section, reading.line) +
               "): the plug-in swaps it all the same, and the game reads it where it expects " +
               Items(pair) + ".";
    case NameSource::kNumber: {
        const std::string hash = HexHash(ParseHash(reading.value));
        return "A number, not a name: the plug-in looks settings up by name, so " + skips +
               (reading.nameOfNumber.empty()
                    ? " No name in the dictionary has the hash " + hash + "."
                    : " The dictionary calls " + hash + " " + Quoted(reading.nameOfNumber) +
                          " (under " + std::string(DictionaryHeaders[reading.nameOfNumberSection]) +
                          ").");
    }
    case NameSource::kNotFound: {
        const std::string closest = NameMeant(document, key, reading.value, otherSide);
        return "Not in the dictionary: " + skips +
               (closest.empty() ? "" : " Did you mean " + Quoted(closest) + "?");
    }
    case NameSource::kNotSet:
        break;
    }
    return "Not set: " + skips;
}

std::string CommentFor(const SettingsDocument& document, SettingKey key, std::string_view value) {
    return CommentText(document, key, ReadSetting(document, size_t(key) / 2, value),
                       document.parsed.values[OtherSide(key)]);
}

std::string OutcomeText(const PairReading& pair, size_t index) {
    switch (pair.outcome) {
    case PairOutcome::kSwapped:
        return "The toggle key swaps this pair: " + Quoted(pair.before.value) + " becomes " +
               Quoted(pair.after.value) + ".";
    case PairOutcome::kSkipped:
        return "The plug-in skips this pair: " + SkippedSide(pair, index) + " reads as 0.";
    case PairOutcome::kUnchanged:
        return "This pair changes nothing: both sides are one item.";
    case PairOutcome::kCorrupts:
        break;
    }
    return std::string("The toggle key swaps this pair, and the swap corrupts the game's data: ") +
           (pair.crossesSections ? "its two items are of different kinds."
                                 : "a hash of it is a value ordinary memory is full of.");
}

std::string OutcomeDetails(const PairReading& pair, size_t index) {
    const std::string text = OutcomeText(pair, index);
    if (pair.before.hash == 0 || pair.after.hash == 0) return text;
    return text + " (" + HexHash(pair.before.hash) + " becomes " + HexHash(pair.after.hash) + ")";
}

std::string RefusalText(const SettingRefusal& refusal) {
    const std::string who = Capitalised(SettingLabel(refusal.key)) + ": ";
    const std::string value = Quoted(refusal.value);
    const std::string choose = " Choose a name from the list.";
    const size_t pair = refusal.pair;
    switch (refusal.kind) {
    case RefusalKind::kNone:
        return "";
    case RefusalKind::kUnknownKey:
        return who + "the plug-in knows no key named " + value + " (it would use F5)" +
               (refusal.suggestion.empty()
                    ? ""
                    : "; key names are case-sensitive: choose " + Quoted(refusal.suggestion)) +
               ".";
    case RefusalKind::kNotInDictionary:
        if (refusal.value.empty())
            return Capitalised(SettingLabel(refusal.key)) +
                   " is not set, so the plug-in skips this pair." + choose;
        return who + value + " is no name under " + std::string(DictionaryHeaders[pair]) +
               (refusal.suggestion.empty() ? "."
                                           : "; did you mean " + Quoted(refusal.suggestion) + "?") +
               choose;
    case RefusalKind::kNumber:
        return who + value + " is a hash, and a setting takes a name" +
               (refusal.suggestion.empty()
                    ? "; no name under " + std::string(DictionaryHeaders[pair]) + " has it."
                    : ": " + Quoted(refusal.suggestion) + " has that hash; choose it.");
    case RefusalKind::kOtherSection:
        return who + value + " is " + Items(refusal.nameSection) + ", not " + Items(pair) +
               ": the game would read one kind of item where it expects another and corrupt "
               "its data." +
               choose;
    case RefusalKind::kHashZero:
        return who + value + " has the hash 0 in the dictionary, so the plug-in skips this pair." +
               choose;
    case RefusalKind::kCommonHash:
        return who + value +
               " has a hash ordinary memory is full of: the swap would rewrite it in countless "
               "places that are not the item and corrupt the game's data." +
               choose;
    case RefusalKind::kCannotHold:
        return who + "no settings line can hold " + value +
               " so that the plug-in reads it back whole (a \";\" starts a comment, and blanks "
               "around it are trimmed).";
    }
    return "";
}

std::string NameMeant(const SettingsDocument& document, SettingKey key, std::string_view typed,
                      std::string_view otherSide) {
    const size_t pair = size_t(key) / 2;
    const DictionaryName* typedName = FindName(document, typed);
    if (typed.empty() || (typedName != nullptr && typedName->section == pair)) return "";
    // A name of the other side's hash would leave the pair changing nothing.
    const uint32_t otherHash = ReadSetting(document, pair, otherSide).hash;
    std::vector<std::string_view> candidates;
    for (const DictionaryName& name : document.names) {
        if (name.section != pair || name.name == otherSide) continue;
        if (otherHash != 0 && name.hash == otherHash) continue;
        candidates.push_back(name.name);
    }
    return std::string(ClosestName(typed, candidates));
}

std::string NameMeant(const SettingsDocument& document, size_t pair, std::string_view typed) {
    return NameMeant(document, SwapPairs[pair].newSetting.key, typed, {});
}

std::string NameEntry(const ListedName& name, bool withHash) {
    if (!withHash) return name.name;
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08X", unsigned(name.hash));
    return name.name + "  (" + hash + ")";
}

std::string NameOfEntry(std::string_view entry) {
    // Names hold no blanks the plug-in keeps: it trims them from both ends of a value.
    const size_t mark = entry.rfind("  (");
    if (mark != std::string_view::npos && entry.size() == mark + 3 + 8 + 1 && entry.back() == ')')
        return std::string(entry.substr(0, mark));
    return std::string(entry);
}

std::string GameVerdictText(const ScannedPair& pair) {
    const auto places = [](uint64_t count) {
        return std::to_string(count) + (count == 1 ? " place" : " places");
    };
    std::string text = "In the game now: ";
    if (pair.corruptingLine != 0)
        text += "WARNING: would corrupt the game's data (see the warning above); ";
    switch (pair.verdict) {
    case Verdict::kWouldSwap:
        text += "the toggle key would swap " + places(pair.before.count);
        if (pair.after.count > 0) text += "; the new item is in " + places(pair.after.count);
        return text + ".";
    case Verdict::kOnlyNew:
        return text + "only the new item occurs, in " + places(pair.after.count) +
               ": the swap is on now (or the game uses only the new item).";
    case Verdict::kNeither:
        return text + "neither item is in memory now: the game has not loaded it in this scene.";
    case Verdict::kSkipped:
        break;
    }
    return text +
           "not swapped: " + (pair.before.hash == 0 ? "the item to replace" : "its replacement") +
           " names no item in the game's settings file.";
}
