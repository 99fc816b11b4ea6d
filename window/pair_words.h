#pragma once
// The settings window's words about the pairs: their labels, each setting in the player's
// terms, and what the plug-in does with a value, a pair and a refused choice, each worded from
// the plug-in's reading and never from a rule of its own.

#include "inspect/edit_setting.h"
#include "inspect/list_names.h"
#include "inspect/plugin_reading.h"
#include "inspect/scan_report.h"
#include "inspect/settings_document.h"
#include "settings/swap_pairs.h"

#include <string>
#include <string_view>
#include <vector>

// A pair's one label across the window and its dialogs: "Shake", "Depth-of-field".
std::string PairLabel(size_t pair);
// The label of a row of the window: a pair's (below kPairCount), "Toggle key" (kPairCount) or
// "The file as a whole" (after it).
std::string RowLabel(size_t row);
// A setting as a player thinks of it: "the shake to replace", "the shake's replacement",
// "the toggle key".
std::string SettingLabel(SettingKey key);
// The pair's other setting.
SettingKey OtherSide(SettingKey key);
// Settings named as a player would list them: "the camera to replace and the toggle key".
std::string SettingsListed(const std::vector<SettingKey>& keys);

// What the plug-in does with the value `reading` was read from, for setting `key` of
// `document`, the pair's other setting holding `otherSide`: the item's comment from the file
// when it is one of the pair's own, else what becomes of the pair.
std::string CommentText(const SettingsDocument& document, SettingKey key,
                        const SettingReading& reading, std::string_view otherSide);
// CommentText for `value`, read as the plug-in reads it, beside the other setting's value in
// `document`.
std::string CommentFor(const SettingsDocument& document, SettingKey key, std::string_view value);
// What the toggle key does with a pair, in one sentence of names, for the line under the pair.
std::string OutcomeText(const PairReading& pair, size_t index);
// OutcomeText with the hashes behind the names, for the details.
std::string OutcomeDetails(const PairReading& pair, size_t index);

// Why the plug-in cannot use a choice, or could not read it back, in the window's words: what
// to do in the window, never a command line. The same words whether the value was typed or
// read from the file; Save's refusal leads with "Not saved. ".
std::string RefusalText(const SettingRefusal& refusal);

// The name of the pair's section that `typed`, for setting `key`, most likely misspells, when
// `typed` is no name of it: never `otherSide` (the pair's other setting's value), nor a name of
// its hash, which would make the pair change nothing. "" when none.
std::string NameMeant(const SettingsDocument& document, SettingKey key, std::string_view typed,
                      std::string_view otherSide);
// NameMeant without regard to the pair's other setting.
std::string NameMeant(const SettingsDocument& document, size_t pair, std::string_view typed);
// A name as a drop-down's list shows it: "Camera15  (2F0AACD0)", or "Camera15" alone.
std::string NameEntry(const ListedName& name, bool withHash = true);
// The name an entry made by NameEntry shows, or the typed text when it is not one.
std::string NameOfEntry(std::string_view entry);

// A pair's verdict from a running game, in the window's words.
std::string GameVerdictText(const ScannedPair& pair);
