#pragma once
// What the rules of `ostrevane check` share. Each rule is a function that reads the settings
// document, and the facts other rules found before it, and returns its own findings; no rule
// writes to another's.

#include "check/check.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// A header the plug-in misses, where the writer meant to open a section of the other kind,
// and the lines the plug-in then reads in the wrong kind of section.
struct MissedSection {
    size_t line;
    Trap why;             // kHeaderCase, kHeaderByteOrderMark or kHeaderIndented
    std::string header;   // as the trap gives it
    std::string meant;    // kHeaderCase: the header in its right case
    bool meantDictionary; // else a settings header, missed inside a dictionary section
    size_t ignoredLines = 0;
};

// What following the plug-in's reading line by line finds. (observe_lines.cpp)
struct LineFindings {
    std::vector<CheckWarning> warnings;
    std::vector<MissedSection> missedSections;
    // Keys of the lines read in the wrong kind of section, with the index of the missed header
    // above the first of them: the names a player meant to define, or the settings a player
    // meant to make.
    std::unordered_map<std::string, size_t> missedKeys;
    bool byteOrderMarkReported = false; // as a missed header on line 1
};
LineFindings ObserveLines(const SettingsDocument& document);

// Where check tells about a setting the plug-in cannot use.
enum class Fate {
    kUsable,          // nothing to tell
    kOwnWarning,      // a finding of its own, on its line
    kLostToCtrlZ,     // at the Ctrl-Z that hides it from the plug-in
    kLostUnderHeader, // at the missed header that hides its name or its line
};
struct SettingFates {
    std::array<Fate, kSettingKeyCount> fate{};
    std::array<size_t, kSettingKeyCount> missedSection{}; // kLostUnderHeader: its index
};
// FindSettingsLostToCtrlZ's and the missed headers' claims come first, so each setting is told
// about once. (file_rules.cpp)
SettingFates FatesOf(const SettingsDocument& document, const LineFindings& lines);

// The rules on the pairs' name settings: names that resolve to 0, pairs of one hash, pairs
// across sections, hashes memory is full of. (pair_rules.cpp)
std::vector<CheckWarning> PairFindings(const SettingsDocument& document, const SettingFates& fates);
// The toggle key's setting. (key_rule.cpp)
std::vector<CheckWarning> KeyFindings(const SettingsDocument& document, const SettingFates& fates);
// What each missed header costs, now that every setting's fate is known. (observe_lines.cpp)
std::vector<CheckWarning> MissedSectionFindings(const LineFindings& lines,
                                                const SettingFates& fates);
// The file as a whole: a Ctrl-Z byte that ends it early, a byte-order mark. (file_rules.cpp)
std::vector<CheckWarning> WholeFileFindings(const SettingsDocument& document,
                                            const LineFindings& lines, const SettingFates& fates);
// An empty file or a UTF-16 save, from which the plug-in reads nothing usable: then that is
// the one finding, since every other would only be an echo of it. (file_rules.cpp)
std::vector<CheckWarning> UnreadableFindings(const SettingsDocument& document);
