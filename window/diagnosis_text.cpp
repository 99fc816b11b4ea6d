#include "window/diagnosis_text.h"

#include "settings/key_names.h"
#include "settings/settings.h"
#include "window/pair_words.h"
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

std::string ProgramsText(const std::vector<platform::RunningProgram>& programs) {
    std::string listed;
    for (const platform::RunningProgram& program : programs)
        listed +=
            (listed.empty() ? "" : ", ") + program.file + " (" + std::to_string(program.pid) + ")";
    return listed;
}

std::string Words(const Diagnosis& diagnosis, const DiagnosisFinding& finding) {
    const DiagnosisFacts& facts = diagnosis.facts;
    const std::string& name = finding.name;
    const std::string needs = ", which " + kPlugin + " needs, ";
    const std::string game = "The game (process " + std::to_string(facts.pid) + ")";
    switch (finding.what) {
    case Finding::kFolderUnreadable:
        return "This window's folder, " + facts.folder + ", cannot be read.";
    case Finding::kPluginMissing:
        return kPlugin + " is not in this folder: put it here, beside the game's program.";
    case Finding::kPluginUnreadable:
        return kPlugin + " " + FileProblemText(facts.pluginProblem) +
               (facts.pluginProblem.kind == FileProblem::kFolder
                    ? ": put the " + kPlugin + " of the release zip here in its place."
                    : ": extract it again from the release zip.");
    case Finding::kPluginBroken:
        switch (facts.plugin.kind) {
        case PeKind::kNot64Bit:
            return kPlugin + " is built for another machine than 64-bit Windows: take the one "
                             "from this release.";
        case PeKind::kNotDll:
            return kPlugin + " is a program, not a DLL: take the one from this release.";
        default:
            break;
        }
        return kPlugin + " is damaged or cut short: extract it again from the release zip.";
    case Finding::kPluginSound:
        switch (diagnosis.version) {
        case VersionMatch::kUnnamed:
            return kPlugin + " is a 64-bit DLL.";
        case VersionMatch::kSame:
            return kPlugin + " is a 64-bit DLL, version " + facts.plugin.version +
                   ", as this window.";
        case VersionMatch::kOther:
            break;
        }
        return kPlugin + " is a 64-bit DLL, version " + facts.plugin.version +
               "; this window is version " + facts.ourVersion + ": take both from one release.";
    case Finding::kImportBesideGame:
        return name + needs + "is beside it.";
    case Finding::kImportWindows:
        return name + needs + "is one of Windows' own.";
    case Finding::kImportMissing:
        return name + needs +
               "is missing, so the game cannot load the plug-in: install the "
               "script hook's " +
               name + " in this folder.";
    case Finding::kLoaderNeeded:
        return "Plug-ins load only through a plug-in loader, which comes with the script "
               "hook, not with Ostrevane.";
    case Finding::kSettingsMissing:
        return std::string(kSettingsFileName) + " is not there yet: the game writes it when it "
                                                "starts with the plug-in.";
    case Finding::kSettingsUnreadable:
        return std::string(kSettingsFileName) + " " + FileProblemText(facts.settingsProblem) + ".";
    case Finding::kSettingsUseless:
        return std::string(kSettingsFileName) + ": " +
               FindingText(*UnreadableFinding(facts.settings));
    case Finding::kSettingsWarned:
        return std::string(kSettingsFileName) + " has " +
               Counted(finding.count, "warning", "warnings") +
               (finding.mark == Mark::kOk ? ", none of which stops the swap."
                                          : ": see each beside its row.");
    case Finding::kSettingsClean:
        return std::string(kSettingsFileName) + " reads without a warning.";
    case Finding::kGameNotFound:
    case Finding::kNoGame:
        return "No game is running from this folder: start it, then " + kAgain + ".";
    case Finding::kSeveralGames:
        return "Several programs running from this folder have loaded " + kPlugin + ": " +
               ProgramsText(facts.withPlugin) + "; choose the game when asked.";
    case Finding::kModulesUnlisted:
        return game + ": what it has loaded cannot be listed; start this window as the game's "
                      "user.";
    case Finding::kPluginNotLoaded:
        return (facts.pid != 0 ? game + " has not loaded "
                               : "None of the programs running from this folder, " +
                                     ProgramsText(facts.games) + ", has loaded ") +
               kPlugin +
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
        return game + " has not loaded " + name + needs + "so the plug-in cannot run.";
    case Finding::kScanFailed:
        return ScanProblemText(facts.scan);
    case Finding::kMemoryUnseen:
        return "Wine or Proton runs the game: its memory can be read only from its own prefix.";
    case Finding::kPairVerdict: {
        const ScannedPair& pair = facts.scan.report.pairs[finding.pair];
        std::string pairName(pair.pair->name);
        pairName[0] = char(pairName[0] - 'a' + 'A');
        return pairName + ": " + GameVerdictText(pair);
    }
    case Finding::kNativeWindows:
        return "This window runs on Windows itself.";
    case Finding::kWinePrefix:
        return "This window runs under Wine or Proton, in the prefix " +
               (facts.winePrefix.empty() ? std::string("Wine uses by default") : facts.winePrefix) +
               ", and sees only the programs of that prefix: the game must run in it too.";
    case Finding::kLinuxCommand:
        break;
    }
    return "This program reads no memory of a game that Wine or Proton runs.";
}

const char* MarkText(Mark mark) {
    switch (mark) {
    case Mark::kOk:
        return "OK: ";
    case Mark::kProblem:
        return "PROBLEM: ";
    case Mark::kNote:
        break;
    }
    return "Note: ";
}

} // namespace

std::string WindowFindingText(const Diagnosis& diagnosis, const DiagnosisFinding& finding) {
    return MarkText(finding.mark) + Words(diagnosis, finding);
}

std::string WindowSummary(const Diagnosis& diagnosis) {
    const std::string key = KeyCodeName(diagnosis.toggleKey);
    if (!diagnosis.allOk) {
        return key + " does nothing yet. " +
               Words(diagnosis, diagnosis.findings[diagnosis.firstProblem]) +
               " The pane below has every finding.";
    }
    const std::string loaded = key + " should work: the game has loaded " + kPlugin;
    const std::string places = Counted(diagnosis.places, "place", "places");
    switch (diagnosis.swap) {
    case SwapState::kWouldSwap:
        return loaded + " and the pairs would swap " + places + ".";
    case SwapState::kOn:
        return loaded + ", and the swap is on: the new items are in " + places + ".";
    case SwapState::kNothing:
        return loaded + ", but no item of the pairs is in its memory in this scene.";
    case SwapState::kUnknown:
        break;
    }
    return loaded + ".";
}

std::string WindowDiagnosisText(const Diagnosis& diagnosis) {
    std::string text = "Is it working? " + WindowSummary(diagnosis) + "\n";
    const std::vector<DiagnosisFinding>& findings = diagnosis.findings;
    for (size_t i = 0; i < findings.size(); ++i) {
        if (OpensGroup(findings, i)) text += "\n" + Heading(GroupOf(findings[i].what)) + "\n";
        text += WindowFindingText(diagnosis, findings[i]) + "\n";
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
        return "The game reads " + scan.settingsPath + ", and it " +
               FileProblemText(scan.settingsProblem) +
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
