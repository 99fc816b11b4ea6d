#include "game/diagnosis.h"

#include "settings_file/suggest.h"

#include <algorithm>

namespace {

bool SameFileName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ContainsIgnoringCase(a, b);
}

bool Loaded(const DiagnosisFacts& facts, std::string_view file) {
    return std::any_of(facts.modules.begin(), facts.modules.end(),
                       [&](const std::string& module) { return SameFileName(module, file); });
}

// Findings that stop nothing the toggle key does: a note on the dictionary, say.
bool StopsTheSwap(const CheckWarning& warning) {
    return warning.kind != FindingKind::kSkippedLine && warning.kind != FindingKind::kDictionary;
}

void JudgeFiles(const DiagnosisFacts& facts, std::vector<DiagnosisFinding>& findings) {
    if (!facts.folderIsReadable) {
        findings.push_back({Finding::kFolderUnreadable, false, facts.folder});
        return;
    }
    if (!facts.pluginPresent) {
        findings.push_back({Finding::kPluginMissing, false, ""});
    } else if (!facts.pluginProblem.words.empty()) {
        findings.push_back({Finding::kPluginUnreadable, false, facts.pluginProblem.words});
    } else if (facts.plugin.kind != PeKind::kDll64) {
        findings.push_back({Finding::kPluginBroken, false, ""});
    } else {
        findings.push_back({Finding::kPluginSound, true, facts.plugin.version});
        for (const ImportFact& import : facts.imports) {
            switch (import.place) {
            case ImportPlace::kBesideGame:
                findings.push_back({Finding::kImportBesideGame, true, import.name});
                break;
            case ImportPlace::kWindows:
                findings.push_back({Finding::kImportWindows, true, import.name});
                break;
            case ImportPlace::kMissing:
                findings.push_back({Finding::kImportMissing, false, import.name});
                break;
            case ImportPlace::kUnknown:
                findings.push_back({Finding::kImportUnknown, true, import.name});
                break;
            }
        }
    }
    findings.push_back({Finding::kLoaderNeeded, true, ""});
}

void JudgeSettings(const DiagnosisFacts& facts, std::vector<DiagnosisFinding>& findings) {
    if (!facts.folderIsReadable) return;
    if (!facts.settingsPresent) {
        findings.push_back({Finding::kSettingsMissing, true, ""});
    } else if (!facts.settingsProblem.words.empty()) {
        findings.push_back({Finding::kSettingsUnreadable, false, facts.settingsProblem.words});
    } else if (UnreadableFinding(facts.settings) != nullptr) {
        // Worded by each face from the finding itself.
        findings.push_back({Finding::kSettingsUseless, false, ""});
    } else if (facts.settings.warnings.empty()) {
        findings.push_back({Finding::kSettingsClean, true, ""});
    } else {
        const auto& warnings = facts.settings.warnings;
        findings.push_back({Finding::kSettingsWarned,
                            std::none_of(warnings.begin(), warnings.end(), StopsTheSwap),
                            std::to_string(warnings.size())});
    }
}

void JudgeGame(const DiagnosisFacts& facts, std::vector<DiagnosisFinding>& findings) {
    if (facts.pid == 0) {
        if (facts.gameNamed) {
            findings.push_back({Finding::kScanFailed, false, ""});
        } else if (facts.games.size() > 1) {
            std::string listed;
            for (const platform::RunningProgram& game : facts.games)
                listed += (listed.empty() ? "" : ", ") + game.file + " (" +
                          std::to_string(game.pid) + ")";
            findings.push_back({Finding::kSeveralGames, false, listed});
        } else {
            findings.push_back({Finding::kNoGame, false, facts.folder});
        }
        return;
    }
    const std::string game = std::to_string(facts.pid);
    if (!facts.modulesListed) {
        findings.push_back({Finding::kModulesUnlisted, false, game});
        return;
    }
    if (!Loaded(facts, kPluginFileName)) {
        findings.push_back({Finding::kPluginNotLoaded, false, game});
        return;
    }
    findings.push_back({Finding::kPluginLoaded, true, game});
    for (const ImportFact& import : facts.imports) {
        if (import.place == ImportPlace::kBesideGame && !Loaded(facts, import.name))
            findings.push_back({Finding::kHookNotLoaded, false, import.name});
    }
    if (facts.scan.problem != ScanProblem::kNone) {
        findings.push_back({Finding::kScanFailed, false, game});
        return;
    }
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        const ScannedPair& scanned = facts.scan.report.pairs[pair];
        const bool ok = scanned.verdict != Verdict::kSkipped && scanned.corruptingLine == 0;
        findings.push_back({Finding::kPairVerdict, ok, "", pair});
    }
}

} // namespace

FindingGroup GroupOf(Finding finding) {
    if (finding <= Finding::kLoaderNeeded) return FindingGroup::kFiles;
    if (finding <= Finding::kSettingsClean) return FindingGroup::kSettings;
    if (finding <= Finding::kPairVerdict) return FindingGroup::kGame;
    return FindingGroup::kWine;
}

Diagnosis Judge(DiagnosisFacts facts) {
    Diagnosis diagnosis;
    std::vector<DiagnosisFinding>& findings = diagnosis.findings;
    JudgeFiles(facts, findings);
    JudgeSettings(facts, findings);
    JudgeGame(facts, findings);
    if (!facts.windowsHere) {
        findings.push_back({Finding::kLinuxCommand, true, ""});
    } else if (facts.underWine) {
        findings.push_back({Finding::kWinePrefix, true, facts.winePrefix});
    } else {
        findings.push_back({Finding::kNativeWindows, true, ""});
    }
    diagnosis.allOk = std::all_of(findings.begin(), findings.end(),
                                  [](const DiagnosisFinding& finding) { return finding.ok; });
    diagnosis.facts = std::move(facts);
    return diagnosis;
}
