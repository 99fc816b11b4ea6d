#include "cli/check/check_words.h"

#include "cli/report_text.h"
#include "settings_file/bytes_text.h"

#include <algorithm>

namespace {

std::string Name(SettingKey key) {
    return std::string(SettingKeyNames[key]);
}

std::string Skipped(const CheckWarning& warning) {
    return "the " + std::string(SwapPairs[warning.pair].name) + " pair is skipped";
}

std::string NumberTrapWords(const CheckWarning& warning) {
    const std::string read = HexHash(warning.hash);
    switch (warning.number) {
    case NumberTrap::kNoNumber:
        return "holds no number, so it is read as " + read;
    case NumberTrap::kReadInPart:
        return "is read only as far as it parses: " + read;
    case NumberTrap::kOctal:
        return "starts with 0, so it is read as octal: " + read;
    case NumberTrap::kTooLarge:
        return "does not fit in 32 bits, so it is read as " + read;
    case NumberTrap::kNegative:
    case NumberTrap::kNone:
        break;
    }
    return "is negative, so it is read as " + read;
}

// ", so oldshake and newdof resolve to 0 and the toggle key is F5": what the settings lost to a
// Ctrl-Z become.
std::string CtrlZCost(std::vector<SettingKey> lost) {
    std::string words;
    const bool keyLost = std::erase(lost, kActivationKey) != 0;
    for (size_t i = 0; i < lost.size(); ++i) {
        words += i == 0 ? ", so " : i + 1 == lost.size() ? " and " : ", ";
        words += Name(lost[i]);
    }
    if (!lost.empty()) words += lost.size() == 1 ? " resolves to 0" : " resolve to 0";
    if (keyLost)
        words +=
            std::string(lost.empty() ? ", so" : " and") + " the toggle key is " + FallbackKeyName();
    return words;
}

std::string HeaderWords(const CheckWarning& warning) {
    std::string words;
    switch (warning.trap) {
    case Trap::kHeaderCase:
        words = Quoted(warning.text) +
                " opens no dictionary section (headers are "
                "case-sensitive: write " +
                Quoted(warning.suggestion) + ")";
        break;
    case Trap::kHeaderByteOrderMark:
        words = "the file starts with a byte-order mark (saved as \"UTF-8 with BOM\"), so the "
                "plug-in does not read " +
                Quoted(warning.text) +
                " as a header; save the file as UTF-8 without BOM, or as ANSI";
        break;
    default:
        words = Quoted(warning.text) +
                " is indented, so the plug-in does not read it as a header: remove the blanks "
                "before \"[\"";
        break;
    }
    words +=
        "; the " + CountOf(warning.ignoredLines, "line", "lines") + " under it " +
        (warning.ignoredLines == 1 ? "is" : "are") +
        (warning.meantDictionary ? " read as settings and ignored" : " read as dictionary entries");
    for (size_t i = 0; i < warning.lost.size(); ++i)
        words += (i == 0 ? ", so " : " and ") + Name(warning.lost[i]);
    if (!warning.lost.empty()) {
        const bool one = warning.lost.size() == 1;
        words += warning.meantDictionary ? (one ? " resolves to 0" : " resolve to 0")
                                         : (one ? " is not set" : " are not set");
    }
    return words;
}

std::string CrossedPairWords(const CheckWarning& warning) {
    const auto describe = [](SettingKey key, const std::string& name, size_t section, size_t line) {
        return Name(key) + " " + Quoted(name) + " is " + std::string(SwapPairs[section].items) +
               " (under " + std::string(DictionaryHeaders[section]) + ", line " +
               std::to_string(line) + ")";
    };
    return describe(warning.setting, warning.name, warning.section, warning.firstLine) + " but " +
           describe(warning.otherSetting, warning.otherName, warning.otherSection,
                    warning.otherLine) +
           ", so the " + std::string(SwapPairs[warning.pair].name) + " pair would put " +
           std::string(SwapPairs[warning.section].items) + " where the game expects " +
           std::string(SwapPairs[warning.otherSection].items) +
           " and corrupt its data; take both names of a pair from one section (" +
           std::string(DictionaryHeaders[warning.pair]) + " for this pair)";
}

} // namespace

std::string FindingWords(const CheckWarning& warning) {
    switch (warning.trap) {
    case Trap::kEmptyFile:
        return "the file is empty, so the plug-in swaps nothing and the toggle key is " +
               FallbackKeyName() +
               "; the plug-in writes a fresh default file only where none exists: delete this "
               "one and start the game";
    case Trap::kUtf16File:
        return "the file is saved as UTF-16 (what some editors call \"Unicode\"): the plug-in "
               "reads nothing usable from it; save it as ANSI or UTF-8";
    case Trap::kCtrlZ:
        return "a Ctrl-Z byte (0x1A) ends the file for the plug-in: nothing after it is read" +
               CtrlZCost(warning.lost) + "; remove the Ctrl-Z";
    case Trap::kByteOrderMark:
        return "the file starts with a byte-order mark (saved as \"UTF-8 with BOM\"), which the "
               "plug-in reads as part of line 1; save the file as UTF-8 without BOM, or as ANSI";
    case Trap::kHeaderCase:
    case Trap::kHeaderByteOrderMark:
    case Trap::kHeaderIndented:
        return HeaderWords(warning);
    case Trap::kNoEquals:
        return Quoted(warning.text) + " has no \"=\", so the plug-in skips it like a comment";
    case Trap::kEntryInSettings:
        return Quoted(warning.text) + " looks like a dictionary entry, but it stands in a "
                                      "settings section, so the plug-in ignores it";
    case Trap::kUnknownSetting:
        return Quoted(warning.name) + " is not one of the " + NumberWord(kSettingKeyCount) +
               " settings, so the plug-in ignores this line" +
               (warning.suggestion.empty() ? " (" + Listed(SettingKeyNames) + ")"
                                           : "; did you mean " + Quoted(warning.suggestion) + "?");
    case Trap::kSetAgain:
        return Name(warning.setting) + " is set again (first on line " +
               std::to_string(warning.firstLine) + "): only this later value is used";
    case Trap::kDictionaryValue:
        return "the value " + Quoted(warning.text) + " of " + Quoted(warning.name) + " " +
               NumberTrapWords(warning) +
               (warning.commentLine
                    ? " (a comment line that holds \"=\" is read as a dictionary entry)"
                    : "");
    case Trap::kDefinedTwice:
        return Quoted(warning.name) + " is defined twice (first on line " +
               std::to_string(warning.firstLine) + "): " +
               (warning.earlierHash == warning.hash
                    ? "both give " + HexHash(warning.hash)
                    : "this later " + HexHash(warning.hash) + " replaces " +
                          HexHash(warning.earlierHash));
    case Trap::kHashZero:
        return Quoted(warning.name) + " has the hash 0 in the dictionary, so " + Skipped(warning);
    case Trap::kNotSet:
        if (warning.setting == kActivationKey)
            return Name(warning.setting) + " is not set, so the toggle key is " + FallbackKeyName();
        return Name(warning.setting) + " is not set, so it resolves to 0 and " + Skipped(warning);
    case Trap::kEmptyValue:
        return Name(warning.setting) + " is empty, so it resolves to 0 and " + Skipped(warning);
    case Trap::kNumber:
        return Name(warning.setting) + " holds the number " + Quoted(warning.name) +
               " instead of a name; settings are looked up by name, so it resolves to 0 and " +
               Skipped(warning) +
               (warning.suggestion.empty() ? ""
                                           : "; the dictionary calls " + HexHash(warning.hash) +
                                                 " " + Quoted(warning.suggestion));
    case Trap::kNotInDictionary:
        return Quoted(warning.name) + " is not in the dictionary, so " + Name(warning.setting) +
               " resolves to 0 and " + Skipped(warning) +
               (warning.suggestion.empty() ? ""
                                           : "; did you mean " + Quoted(warning.suggestion) + "?");
    case Trap::kPairUnchanged: {
        const SwapPair& pair = SwapPairs[warning.pair];
        return Name(pair.oldSetting.key) + " and " + Name(pair.newSetting.key) +
               " both resolve to " + HexHash(warning.hash) + ", so the " + std::string(pair.name) +
               " pair changes nothing";
    }
    case Trap::kCrossedPair:
        return CrossedPairWords(warning);
    case Trap::kCommonHash:
        return Name(warning.setting) + " " + Quoted(warning.name) + " resolves to " +
               HexHash(warning.hash) + " (line " + std::to_string(warning.firstLine) +
               "), a value ordinary memory is full of (mostly 0x00 and 0xFF bytes: small "
               "numbers, floats such as 1.0), so the swap would rewrite it in countless places "
               "that are not the item and corrupt the game's data; give the item's own hash";
    case Trap::kUnknownKey:
        return Name(warning.setting) + " " + Quoted(warning.name) +
               " is not a key name the plug-in knows, so the toggle key falls back to " +
               FallbackKeyName() + "; use F1 to F12, one letter or one digit" +
               (warning.suggestion.empty()
                    ? ""
                    : " (names are case-sensitive: " + Quoted(warning.suggestion) + ")");
    }
    return "";
}

std::string NumberedFindingWords(const CheckWarning& warning) {
    return (warning.line == 0 ? "file" : "line " + std::to_string(warning.line)) + ": " +
           FindingWords(warning);
}
