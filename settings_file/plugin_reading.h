#pragma once
// What the plug-in will do with each setting of a file: the one answer that every comment,
// verdict and warning of the command and the settings window is worded from.

#include "settings/swap_pairs.h"
#include "settings_file/settings_document.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where the hash the plug-in uses for a name setting comes from.
enum class NameSource {
    kOwnSection,   // a name defined under its pair's own section
    kOtherSection, // a name defined under another pair's section: the dictionary is one table
    kNumber,       // a number, which the plug-in looks up as a name and does not find: 0
    kNotFound,     // a name the dictionary lacks: 0
    kNotSet,       // no line sets it, or the value is empty and no name is empty: 0
};

struct SettingReading {
    std::string value; // as the plug-in reads it
    uint32_t hash = 0; // what the plug-in puts in the swap for it
    NameSource source = NameSource::kNotSet;
    size_t section = 0; // kOwnSection, kOtherSection: the pair whose section defines it
    size_t line = 0;    // kOwnSection, kOtherSection: the line that defines it
    // kNumber: the name the dictionary gives that number's hash, or "" when none does; a name
    // of the pair's own section first.
    std::string nameOfNumber;
    size_t nameOfNumberSection = 0;
    // The hash is one memory is full of: a swap with it rewrites countless places.
    bool commonInMemory = false;
};

enum class PairOutcome {
    kSwapped,   // both sides are items of the pair's kind, with different hashes
    kSkipped,   // a side reads as 0: the walk leaves the pair alone
    kUnchanged, // both sides read as one hash: the swap changes nothing
    kCorrupts,  // the swap would put an item of another kind, or rewrite a hash memory is
                // full of, where the game expects the pair's kind of item
};

struct PairReading {
    SettingReading before; // the old setting: the item replaced
    SettingReading after;  // the new setting: the item put in its place
    PairOutcome outcome = PairOutcome::kSkipped;
    bool crossesSections = false; // both sides are names, from different sections
    bool commonHash = false;      // kCorrupts: a side's hash is one memory is full of
};

using PluginReading = std::array<PairReading, kPairCount>;

// What the plug-in does with `value` given to a setting of pair `pair` in `document`; `isSet`
// false when no line sets it.
SettingReading ReadSetting(const SettingsDocument& document, size_t pair, std::string_view value,
                           bool isSet = true);

// What the plug-in does with each pair of `document`.
PluginReading ReadAsPlugin(const SettingsDocument& document);
