// check's findings in the window's words: the player's names for the settings, and what to do
// in the window or in the file, never a command line.
#include "window/settings_form.h"

#include "window/pair_words.h"

#include "settings_file/bytes_text.h"

#include <cctype>

namespace {

std::string Skipped(const CheckWarning& warning) {
    return "the plug-in skips the " + std::string(SwapPairs[warning.pair].name) + " pair";
}

std::string Header(const CheckWarning& warning) {
    std::string words;
    switch (warning.trap) {
    case Trap::kHeaderCase:
        words = Quoted(warning.text) +
                " is no section header the plug-in knows: headers are "
                "case-sensitive, write " +
                Quoted(warning.suggestion);
        break;
    case Trap::kHeaderByteOrderMark:
        words = "the file was saved as \"UTF-8 with BOM\", which hides the header " +
                Quoted(warning.text) + ": save it as UTF-8 without BOM";
        break;
    default:
        words = "the header " + Quoted(warning.text) +
                " is indented, so the plug-in does not see it: remove the blanks before \"[\"";
        break;
    }
    words += warning.ignoredLines == 1
                 ? "; the line under it is lost"
                 : "; the " + std::to_string(warning.ignoredLines) + " lines under it are lost";
    if (!warning.lost.empty()) words += ", and with them " + SettingsListed(warning.lost);
    return words;
}

} // namespace

std::string FindingText(const CheckWarning& warning) {
    std::string words;
    switch (warning.trap) {
    case Trap::kEmptyFile:
        words = "The file is empty: the plug-in swaps nothing, and its toggle key is " +
                FallbackKeyName() + ".";
        break;
    case Trap::kUtf16File:
        words = "The file is saved as UTF-16 (\"Unicode\"): the plug-in reads nothing from it.";
        break;
    case Trap::kCtrlZ:
        words = "A Ctrl-Z character ends the file early: the plug-in reads nothing after it";
        words +=
            warning.lost.empty() ? "." : ", so it misses " + SettingsListed(warning.lost) + ".";
        break;
    case Trap::kByteOrderMark:
        words = "The file was saved as \"UTF-8 with BOM\", which changes what the plug-in reads "
                "on line 1: save it as UTF-8 without BOM.";
        break;
    case Trap::kHeaderCase:
    case Trap::kHeaderByteOrderMark:
    case Trap::kHeaderIndented:
        words = Header(warning) + ".";
        break;
    case Trap::kNoEquals:
        words = Quoted(warning.text) + " has no \"=\": the plug-in skips it.";
        break;
    case Trap::kEntryInSettings:
        words = Quoted(warning.text) + " is a name among the settings, outside any dictionary "
                                       "section: the plug-in ignores it.";
        break;
    case Trap::kUnknownSetting:
        words =
            Quoted(warning.name) + " is no setting the plug-in knows: it ignores the line" +
            (warning.suggestion.empty() ? "."
                                        : " (did you mean " + Quoted(warning.suggestion) + "?).");
        break;
    case Trap::kSetAgain:
        words = SettingLabel(warning.setting) +
                " is set again: only this later line counts (the first is "
                "line " +
                std::to_string(warning.firstLine) + ").";
        break;
    case Trap::kDictionaryValue:
        words = "The hash of " + Quoted(warning.name) + ", " + Quoted(warning.text) +
                ", is not read as written: the plug-in reads " + HexHash(warning.hash) + ".";
        break;
    case Trap::kDefinedTwice:
        words = Quoted(warning.name) + " is defined again (first on line " +
                std::to_string(warning.firstLine) + "): only this later hash counts.";
        break;
    case Trap::kHashZero:
        words = Quoted(warning.name) + " has the hash 0, so " + Skipped(warning) + ".";
        break;
    case Trap::kNotSet:
        words = warning.setting == kActivationKey
                    ? "No toggle key is set: the plug-in uses " + FallbackKeyName() + "."
                    : "Nothing is chosen for " + SettingLabel(warning.setting) + ", so " +
                          Skipped(warning) + ".";
        break;
    case Trap::kEmptyValue:
        words = "Nothing is chosen for " + SettingLabel(warning.setting) + ", so " +
                Skipped(warning) + ".";
        break;
    case Trap::kNumber:
        words = SettingLabel(warning.setting) + " is a number, not a name: " + Skipped(warning) +
                (warning.suggestion.empty() ? "." : "; choose " + Quoted(warning.suggestion) + ".");
        break;
    case Trap::kNotInDictionary:
        words = Quoted(warning.name) + " is not in the file's list of names, so " +
                Skipped(warning) +
                (warning.suggestion.empty() ? "."
                                            : "; did you mean " + Quoted(warning.suggestion) + "?");
        break;
    case Trap::kPairUnchanged:
        words = "Both sides of the " + std::string(SwapPairs[warning.pair].name) +
                " pair name one item: the swap changes nothing.";
        break;
    case Trap::kCrossedPair:
        words = Quoted(warning.name) + ", chosen for " + SettingLabel(warning.setting) + ", is " +
                std::string(SwapPairs[warning.section].items) +
                ": the swap would put it where the "
                "game expects " +
                std::string(SwapPairs[warning.otherSection].items) + " and corrupt its data.";
        break;
    case Trap::kCommonHash:
        words = Quoted(warning.name) + ", chosen for " + SettingLabel(warning.setting) +
                ", has the hash " + HexHash(warning.hash) +
                ", a value ordinary memory is full of: the swap would corrupt the game's data.";
        break;
    case Trap::kUnknownKey:
        words = Quoted(warning.name) + " is no key the plug-in knows: it uses " +
                FallbackKeyName() + " instead" +
                (warning.suggestion.empty()
                     ? "."
                     : " (names are case-sensitive: " + Quoted(warning.suggestion) + ").");
        break;
    }
    // A sentence of its own for the file as a whole; after its line number, as the file
    // reads "line 4: ...".
    const bool capital = warning.line == 0;
    if (!words.empty() && std::isalpha(static_cast<unsigned char>(words[0])))
        words[0] = char(capital ? std::toupper(words[0]) : std::tolower(words[0]));
    if (warning.line == 0) return words;
    return "line " + std::to_string(warning.line) + ": " + words;
}
