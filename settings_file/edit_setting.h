#pragma once
// How `ostrevane set` and the settings window change one setting: the one-line edit, or the
// reason the plug-in could not use the value, as data each of them words.

#include "settings/swap_pairs.h"
#include "settings_file/settings_document.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class RefusalKind {
    kNone,
    kUnknownKey,      // the toggle key: a name the plug-in does not know
    kNotInDictionary, // no name in the dictionary reads so
    kNumber,          // a hash written as a number: settings take a name
    kOtherSection,    // a name of another pair's section: the game would read the wrong kind
    kHashZero,        // the name's hash is 0: the pair would be skipped
    kCommonHash,      // the name's hash is one ordinary memory is full of
    kCannotHold,      // no settings line can hold the value so that the plug-in reads it back
};

struct SettingRefusal {
    RefusalKind kind = RefusalKind::kNone;
    SettingKey key{};
    std::string value; // raw bytes, as typed
    // kUnknownKey: the value in capitals, when the plug-in knows that key; kNotInDictionary:
    // the closest name of the pair's section; kNumber: the name under the pair's section with
    // that hash. "" when there is none.
    std::string suggestion;
    uint32_t hash = 0;      // kNumber: the number's value; kHashZero, kCommonHash: the name's
    size_t pair = 0;        // the pair the setting belongs to
    size_t nameSection = 0; // kOtherSection: the section that defines the name
    size_t line = 0;        // kOtherSection, kHashZero, kCommonHash: the line that defines it

    explicit operator bool() const { return kind != RefusalKind::kNone; }
};

struct SettingEdit {
    SettingRefusal refusal;
    // The whole file with the change, read as the plug-in reads it; the file itself when the
    // setting is so already; empty when refused.
    SettingsDocument document;
    std::string where; // "line 16 (it was \"Camera15\")", or the new line's place
};

// `document` with setting `key` set to `value`: that line's value alone rewritten, the
// comment kept in its column, or a new line where the plug-in reads it. Refused when the
// plug-in could not use the value or read it back whole.
SettingEdit EditSetting(const SettingsDocument& document, SettingKey key, std::string_view value);

struct SettingsEdit {
    std::array<SettingRefusal, kSettingKeyCount> refusals; // kind kNone where the value is used
    SettingsDocument document; // the file with every value not refused, read as the plug-in does
};
// `document` with each setting that `values` holds a value for set as EditSetting sets it,
// one after another in setting order: the same bytes, read in one reading where the values
// go on lines the file has.
SettingsEdit EditSettings(const SettingsDocument& document,
                          const std::array<std::optional<std::string>, kSettingKeyCount>& values);

// Why the plug-in could not use `value` for `key` in `document`; kind kNone when it can.
SettingRefusal RefusalOf(const SettingsDocument& document, SettingKey key, std::string_view value);
