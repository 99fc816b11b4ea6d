#pragma once
// What the rules of `ostrevane check` share: the checker that follows the plug-in's reading
// line by line, and what it gathers for the rules that run once the reading is done.

#include "inspect/check.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// A header the plug-in misses, where the writer meant to open a section of the other kind,
// and the lines the plug-in then reads in the wrong kind of section.
struct MissedSection {
    size_t line;
    std::string problem;
    bool meantDictionary; // else a settings header, missed inside a dictionary section
    size_t ignoredLines = 0;
    std::vector<std::string_view> settingsLost; // settings that are lost because of it
};

struct Checker {
    bool startsWithByteOrderMark = false;
    bool byteOrderMarkReported = false;
    bool inDictionary = false;
    bool inMissedSection = false;
    std::vector<CheckWarning> warnings;
    std::vector<MissedSection> missedSections;
    // Keys of the ignored lines under a missed header, with its index: the names a player
    // meant to define, or the settings a player meant to make.
    std::unordered_map<std::string, size_t> missedKeys;
    std::unordered_map<std::string, size_t> dictionaryLines;
    std::unordered_map<std::string, uint32_t> dictionaryValues;
    // The section and line of each name's last definition, the one the plug-in keeps.
    struct Definition {
        size_t section;
        size_t line;
    };
    std::unordered_map<std::string, Definition> definitions;
    size_t currentSection = 0; // of the last dictionary header
    std::array<size_t, kSettingKeyCount> settingLines{};
    // Settings that a Ctrl-Z byte hides from the plug-in: told about at the Ctrl-Z.
    std::array<bool, kSettingKeyCount> lostToCtrlZ{};
    std::vector<std::string_view> settingsLostToCtrlZ;

    void Warn(size_t line, std::string message, FindingKind kind,
              SettingKey setting = SettingKey(kSettingKeyCount)) {
        warnings.push_back({line, std::move(message), kind, setting});
    }

    void MissHeader(size_t line, std::string problem, bool meantDictionary) {
        missedSections.push_back({line, std::move(problem), meantDictionary, 0, {}});
        inMissedSection = true;
    }

    // A line read in the wrong kind of section because of the last missed header.
    void MissLine(const SettingsLine& line) {
        missedSections.back().ignoredLines++;
        missedKeys.emplace(std::string(line.key), missedSections.size() - 1);
    }

    // The missed section of this kind with a line for `key` under it, or null.
    MissedSection* MissedWith(const std::string& key, bool meantDictionary) {
        const auto found = missedKeys.find(key);
        if (found == missedKeys.end()) return nullptr;
        MissedSection& section = missedSections[found->second];
        return section.meantDictionary == meantDictionary ? &section : nullptr;
    }

    // Takes in one line as the plug-in reads it. (observe_lines.cpp)
    void Observe(const SettingsLine& line);

  private:
    void ObserveHeader(const SettingsLine& line);
    void ObserveSkippedLine(const SettingsLine& line);
    void ObserveUnknownSetting(const SettingsLine& line);
    void ObserveSetting(const SettingsLine& line);
    void ObserveDictionaryEntry(const SettingsLine& line);
};

// "F5": the toggle key when the settings name none the plug-in knows.
std::string FallbackKeyName();

// The rules on the pairs' name settings: names that resolve to 0, pairs of one hash, pairs
// across sections, hashes memory is full of. (pair_rules.cpp)
void CheckPairSettings(Checker& checker, const ParsedSettings& parsed);
// The toggle key's setting. (key_rule.cpp)
void CheckActivationKey(Checker& checker, const ParsedSettings& parsed);
// What a missed header costs, now that every setting's fate is known. (observe_lines.cpp)
void ReportMissedSections(Checker& checker);
// The file as a whole: a Ctrl-Z byte that ends it early, a byte-order mark, an empty file,
// a UTF-16 save. FindSettingsLostToCtrlZ runs before the other rules, so they leave the
// settings it finds to the Ctrl-Z's own warning. (file_rules.cpp)
void FindSettingsLostToCtrlZ(Checker& checker, const ParsedSettings& parsed,
                             std::string_view bytes);
void CheckWholeFile(Checker& checker, const ParsedSettings& parsed, std::string_view bytes);
