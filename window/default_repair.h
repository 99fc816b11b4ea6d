#pragma once
// Putting the default file in place of one the plug-in reads nothing from, without losing the
// choices the old file holds: what the window asks first, and what it carries over.

#include "inspect/settings_document.h"
#include "settings/swap_pairs.h"
#include "window/settings_form.h"

#include <string>
#include <string_view>
#include <vector>

// The text of a settings file as its editor meant it: UTF-16 (little- or big-endian) with a
// byte-order mark decoded to UTF-8, a UTF-8 byte-order mark dropped; other bytes as they are.
std::string DecodedSettingsText(std::string_view bytes);

struct CarriedChoices {
    SettingsDocument document;    // the default file, with the kept choices in it
    std::vector<SettingKey> kept; // the old file's choices it holds
    std::vector<SettingKey> lost; // those it cannot hold: a name it lacks, a key unknown
};
// The default file with each choice of the file `oldBytes` (decoded) that differs from the
// default one, set as the window's Save sets it, where the default file can hold it.
CarriedChoices CarryChoices(std::string_view oldBytes);

// Beside "Replace with the default file": why the plug-in reads nothing from the open file,
// and what the button does about it.
std::string ReplaceAdvice(const SettingsForm& form);
// What to ask before replacing the open file with the default one.
std::string ReplaceQuestion(const SettingsForm& form);
// What ReplaceWithDefault says it did, the old file kept as `backup`.
std::string ReplacedText(const CarriedChoices& carried, const std::string& backup);
