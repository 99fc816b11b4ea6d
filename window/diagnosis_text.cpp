#include "window/diagnosis_text.h"

#include "settings/key_names.h"
#include "settings/settings.h"
#include "window/settings_form.h"

namespace {

const std::string kPlugin = kPluginFileName;
const std::string kAgain = "press \"Is it working?\" again";

std::string Heading(FindingGroup group) {
    switch (group) {
    case FindingGroup::kFiles:
        return "Files beside the game's program";
    case FindingGroup::kSettings:
        return "The settings file";
    case FindingGroup::kGame:
        return "The running game";
    case FindingGroup::kWine:
        break;
    }
    return "Wine or Proton";
}

std::string Words(const Diagnosis& diagnosis, const DiagnosisFinding& finding) {
    const DiagnosisFacts& facts = diagnosis.facts;
    const std::string& text = finding.text;
    const std::string needs = ", which " + kPlugin + " needs, ";
    const std::string game = "The game (process " + std::to_string(facts.pid) + ")";
    switch (finding.what) {
    case Finding::kFolderUnreadable:
        return "This window's folder, " + text + ", cannot be read.";
    case Finding::kPluginMissing:
        return kPlugin + " is not in this folder: put it here, beside the game's program.";
    case Finding::kPluginUnreadable:
        return kPlugin + " " + text + ".";
    case Finding::kPluginBroken:
        return kPlugin + (facts.plugin.kind == PeKind::kNot64Bit
                              ? " is built for another machine than 64-bit Windows: take the "
                                "one from this release."
                              : " is damaged or cut short: extract it again from the release "
                                "zip.");
    case Finding::kPluginSound:
        return kPlugin + " is a 64-bit DLL" +
               (text.empty() ? "."
                             : ", version " + text +
                                   (text == facts.ourVersion + ".0"
                                        ? ", as this window."
                                        : "; this window is version " + facts.ourVersion +
                                              ": take both from one release."));
    case Finding::kImportBesideGame:
        return text + needs + "is beside it.";
    case Finding::kImportWindows:
        return text + needs + "is one of Windows' own.";
    case Finding::kImportMissing:
        return text + needs +
               "is missing, so the game cannot load the plug-in: install the "
               "script hook's " +
               text + " in this folder.";
    case Finding::kImportUnknown:
        return text + needs + "is not beside it; whether Windows has it cannot be seen.";
    case Finding::kLoaderNeeded:
        return "The game loads .asi files only through a plug-in loader, installed beside its "
               "program with the script hook; the loader is no part of Ostrevane.";
    case Finding::kSettingsMissing:
        return std::string(kSettingsFileName) + " is not there yet: the plug-in writes it when "
                                                "the game starts with it loaded.";
    case Finding::kSettingsUnreadable:
        return std::string(kSettingsFileName) + " " + text + ".";
    case Finding::kSettingsUseless:
        return std::string(kSettingsFileName) + ": " +
               FindingText(*UnreadableFinding(diagnosis.facts.settings));
    case Finding::kSettingsWarned:
        return std::string(kSettingsFileName) + " has " + text +
               (text == "1" ? " warning" : " warnings") +
               (finding.ok ? ", none of which stops the swap." : ": see each beside its row.");
    case Finding::kSettingsClean:
        return std::string(kSettingsFileName) + " reads without a warning.";
    case Finding::kNoGame:
        return "No game is running from this folder: start it, then " + kAgain + ".";
    case Finding::kSeveralGames:
        return "Several programs run from this folder: " + text + "; choose the game when asked.";
    case Finding::kModulesUnlisted:
        return game + ": what it has loaded cannot be listed; start this window as the game's "
                      "user.";
    case Finding::kPluginNotLoaded:
        return game + " has not loaded " + kPlugin +
               ". Usually the plug-in loader is missing, or out of date for the game's version, "
               "or " +
               kPlugin + " is in another folder than the game's program" +
               (facts.underWine ? ". Under Wine or Proton, Wine loads the loader's DLL only "
                                  "when told to: add WINEDLLOVERRIDES=\"LOADER=n,b\" %command% "
                                  "to the game's launch options, LOADER being the name of the "
                                  "loader's DLL without .dll."
                                : ".");
    case Finding::kPluginLoaded:
        return game + " has loaded " + kPlugin + ".";
    case Finding::kHookNotLoaded:
        return game + " has not loaded " + text + needs + "so the plug-in cannot run.";
    case Finding::kScanFailed:
        return ScanProblemText(facts.scan);
    case Finding::kPairVerdict: {
        const ScannedPair& pair = facts.scan.report.pairs[finding.pair];
        std::string name(pair.pair->name);
        name[0] = char(name[0] - 'a' + 'A');
        return name + ": " + GameVerdictText(pair);
    }
    case Finding::kNativeWindows:
        return "This window runs on Windows itself.";
    case Finding::kWinePrefix:
        return "This window runs under Wine or Proton, in the prefix " +
               (text.empty() ? std::string("Wine uses by default") : text) +
               ", and sees only the programs of that prefix: the game must run in it too.";
    case Finding::kLinuxCommand:
        break;
    }
    return "This program sees no game that Wine or Proton runs.";
}

} // namespace

std::string WindowFindingText(const Diagnosis& diagnosis, const DiagnosisFinding& finding) {
    return (finding.ok ? "OK: " : "PROBLEM: ") + Words(diagnosis, finding);
}

std::string WindowSummary(const Diagnosis& diagnosis) {
    const DiagnosisFacts& facts = diagnosis.facts;
    const std::string key = facts.settingsPresent && facts.settingsProblem.words.empty()
                                ? KeyCodeName(facts.settings.parsed.swap.activationKey)
                                : std::string("F8");
    if (diagnosis.allOk) {
        uint64_t places = 0;
        for (const ScannedPair& pair : facts.scan.report.pairs)
            if (pair.verdict == Verdict::kWouldSwap) places += pair.before.count;
        return key + " should work: the game has loaded " + kPlugin + " and the pairs would swap " +
               std::to_string(places) + (places == 1 ? " place." : " places.");
    }
    for (const DiagnosisFinding& finding : diagnosis.findings) {
        if (!finding.ok)
            return key + " does nothing yet. " + Words(diagnosis, finding) +
                   " The pane below has every finding.";
    }
    return "";
}

std::string WindowDiagnosisText(const Diagnosis& diagnosis) {
    std::string text = "Is it working? " + WindowSummary(diagnosis) + "\n";
    bool first = true;
    FindingGroup group{};
    for (const DiagnosisFinding& finding : diagnosis.findings) {
        if (first || GroupOf(finding.what) != group) {
            group = GroupOf(finding.what);
            text += "\n" + Heading(group) + "\n";
            first = false;
        }
        text += WindowFindingText(diagnosis, finding) + "\n";
    }
    return text;
}

std::string ScanProblemText(const GameScan& scan) {
    const std::string game = "The game (process " + std::to_string(scan.pid) + ")";
    switch (scan.problem) {
    case ScanProblem::kNone:
        return "";
    case ScanProblem::kCannotOpen:
        if (scan.opening == platform::ProcessOpening::kNoSuchProcess)
            return game + " ended before it could be read. Start it, then press \"Is it "
                          "working?\" again.";
        if (scan.opening == platform::ProcessOpening::kAccessRefused)
            return game + " refused to be read: start this window as the same user as the "
                          "game, or as administrator.";
        return game + " could not be opened for reading.";
    case ScanProblem::kFoldersUnreadable:
        return game + " does not say which folder it reads its settings file from, so nothing "
                      "was read.";
    case ScanProblem::kSettingsUnread:
        return "The game reads " + scan.settingsPath + ", and it " + scan.settingsProblem.words +
               (scan.settingsProblem.kind == FileProblem::kMissing
                    ? ": the plug-in writes it when the game starts with it installed. Is "
                      "Ostrevane.asi in the game's folder?"
                    : ".");
    case ScanProblem::kExited:
        return game + " ended during the reading. Start it, then press \"Is it working?\" "
                      "again while it runs.";
    case ScanProblem::kNothingToScan:
        return game + " showed none of the memory the swap rewrites, so nothing was read.";
    case ScanProblem::kNoProcessNamed:
    case ScanProblem::kSeveralNamed:
    case ScanProblem::kFailed:
        break;
    }
    return game + " could not be read" + (scan.failure.empty() ? "." : ": " + scan.failure + ".");
}
