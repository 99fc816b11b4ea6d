#pragma once
// How `ostrevane set` and the settings window change one setting: the one-line edit, or the
// reason the plug-in could not use the value.

#include "settings/swap_pairs.h"

#include <string>
#include <string_view>

// Names in `refusal` and `where` appear as their raw bytes, as in check's findings.
struct SettingEdit {
    std::string refusal; // why the plug-in could not use the value; "" when the edit is made
    std::string edited;  // the whole file with the change; the file itself when already so
    std::string where;   // "line 16 (it was \"Camera15\")", or the new line's place
};

// `fileBytes` with setting `key` set to `value`: that line's value alone rewritten, the
// comment kept in its column, or a new line where the plug-in reads it. Refused, with
// `edited` empty, when the plug-in could not use the value or read it back whole.
SettingEdit EditSetting(std::string_view fileBytes, SettingKey key, std::string_view value);
