// What the settings window says about the player's choices, all from one reading of the file
// as Save would write it.
#include "inspect/bytes_text.h"
#include "inspect/checker.h"
#include "window/default_repair.h"
#include "window/settings_form.h"

#include <algorithm>

namespace {

// The file as the plug-in would read it were every refused choice written as typed: what a
// refused choice's words come from, so that they are the words the same value gets from the
// file. Only the settings change; the dictionary is the saved file's.
SettingsDocument AsTyped(const SettingsForm& form, const PendingFile& pending) {
    SettingsDocument document = pending.document;
    for (size_t key = 0; key < kActivationKey; ++key) {
        if (!pending.refusals[key]) continue;
        document.parsed.values[key] = form.chosen[key];
        // Save would add the line; the plug-in reads a set value, whichever line holds it.
        if (document.settingLines[key] == 0) document.settingLines[key] = document.lines.size() + 1;
    }
    return document;
}

// Why the plug-in cannot use the value a setting of `judged` holds, typed or read: the one
// judgement behind a choice's warning and Save's refusal.
SettingRefusal Judgement(const SettingsDocument& judged, const PendingFile& pending,
                         SettingKey key) {
    if (pending.refusals[key].kind == RefusalKind::kCannotHold) return pending.refusals[key];
    SettingRefusal refusal = RefusalOf(judged, key, judged.parsed.values[key]);
    // The name offered instead is never one that would leave the pair changing nothing.
    const std::string& otherSide = judged.parsed.values[OtherSide(key)];
    if (refusal.kind == RefusalKind::kNotInDictionary)
        refusal.suggestion = NameMeant(judged, key, refusal.value, otherSide);
    if (refusal.kind == RefusalKind::kNumber &&
        refusal.hash == ReadSetting(judged, refusal.pair, otherSide).hash)
        refusal.suggestion.clear();
    return refusal;
}

// Whether `warning` is one of check's findings on the pairs' settings, which the window words
// from the plug-in's reading itself.
bool SaidByTheReading(const CheckWarning& warning, const std::vector<CheckWarning>& pairFindings) {
    return std::any_of(pairFindings.begin(), pairFindings.end(), [&](const CheckWarning& said) {
        return said.line == warning.line && said.message == warning.message;
    });
}

} // namespace

FormReading ReadForm(const SettingsForm& form) {
    FormReading result;
    result.pending = PendingChanges(form);
    const PendingFile& pending = result.pending;
    const SettingsDocument judged = AsTyped(form, pending);
    result.reading = ReadAsPlugin(judged);

    for (size_t index = 0; index < kPairCount; ++index) {
        const SwapPair& pair = SwapPairs[index];
        const PairReading& read = result.reading[index];
        FormReading::Pair& texts = result.pairs[index];
        texts.comments[0] = CommentText(judged, pair.oldSetting.key, read.before, read.after.value);
        texts.comments[1] = CommentText(judged, pair.newSetting.key, read.after, read.before.value);
        texts.outcome = OutcomeText(read, index);
        texts.details = OutcomeDetails(read, index);
    }
    const CheckReport report = CheckSettings(pending.document);
    // A file the plug-in reads nothing from gets that one warning: each setting's would only
    // echo it.
    const bool unreadable = UnreadableFinding(report) != nullptr;
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        // The toggle key's value in the file is check's to judge, below.
        if ((key == kActivationKey || unreadable) && !pending.refusals[key]) continue;
        const SettingRefusal refusal = key == kActivationKey
                                           ? pending.refusals[key]
                                           : Judgement(judged, pending, SettingKey(key));
        if (!refusal) continue;
        const std::string text = RefusalText(refusal);
        result.warnings[key == kActivationKey ? kKeyRow : key / 2].push_back(text);
        if (pending.refusals[key] && result.refusal.empty()) result.refusal = "Not saved. " + text;
    }

    const SettingsDocument& saved = pending.document;
    const std::vector<CheckWarning> pairFindings =
        PairFindings(saved, FatesOf(saved, ObserveLines(saved)));
    for (const CheckWarning& warning : report.warnings) {
        if (warning.kind == FindingKind::kUnreadable) {
            result.warnings[kGeneralRow].push_back(ReplaceAdvice(form));
        } else if (!SaidByTheReading(warning, pairFindings)) {
            result.warnings[RowOf(warning)].push_back(FindingText(warning));
        }
    }
    return result;
}

std::string RowDetails(const SettingsForm& form, const FormReading& reading, size_t row) {
    std::string text = RowLabel(row) + "\n";
    if (row < kPairCount) text += reading.pairs[row].details + "\n";
    for (const std::string& warning : reading.warnings[row])
        text += warning + "\n";
    if (row < kPairCount) {
        const PairReading& pair = reading.reading[row];
        for (const size_t side : {0, 1}) {
            const SettingReading& setting = side == 0 ? pair.before : pair.after;
            const SettingKey key =
                side == 0 ? SwapPairs[row].oldSetting.key : SwapPairs[row].newSetting.key;
            text += side == 0 ? "\nReplace " : "\nwith ";
            text += Quoted(form.chosen[key]);
            if (setting.hash != 0) text += " (" + HexHash(setting.hash) + ")";
            text += ": " + reading.pairs[row].comments[side];
        }
        text += "\n";
    } else if (row == kKeyRow) {
        text += Quoted(form.chosen[kActivationKey]) + "\n";
    }
    return text;
}

std::string SaveQuestion(const FormReading& reading) {
    std::string effects;
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        if (reading.reading[pair].outcome == PairOutcome::kCorrupts)
            effects += '\n' + PairLabel(pair) + ": " + OutcomeText(reading.reading[pair], pair);
    }
    if (effects.empty()) return "";
    std::string question = "Saved so, the settings make the toggle key corrupt the game's data:\n";
    return question + effects + "\n\nSave anyway?";
}

std::string ReloadedText(const SettingsForm& form, const std::vector<std::string_view>& kept) {
    std::vector<SettingKey> keys;
    for (size_t key = 0; key < kSettingKeyCount; ++key) {
        if (std::find(kept.begin(), kept.end(), SettingKeyNames[key]) != kept.end())
            keys.push_back(SettingKey(key));
    }
    std::string text = "Read " + form.path + " again";
    if (!keys.empty()) text += "; kept your unsaved choice for " + SettingsListed(keys);
    return text + ".";
}
