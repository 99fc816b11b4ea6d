#include "game/diagnosis.h"

#include "settings/key_names.h"
#include "settings_file/suggest.h"

#include <algorithm>

namespace {

// The Windows libraries the plug-in is built to import, as the build's imports check holds
// it to: "KERNEL32.dll,USER32.dll,msvcrt.dll".
constexpr std::string_view kWindowsLibraries = OSTREVANE_PLUGIN_WINDOWS_LIBRARIES;

// The key the plug-in toggles with when it has no settings file yet: the one it writes.
constexpr const char* kDefaultKeyName = "F8";

bool SameFileName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ContainsIgnoringCase(a, b);
}

bool Loaded(const DiagnosisFacts& facts, std::string_view file) {
    return std::any_of(facts.modules.begin(), facts.modules.end(),
                       [&](const std::string& module) { return SameFileName(module, file); });
}

Mark Check(bool ok) {
    return ok ? Mark::kOk : Mark::kProblem;
}

// Findings that stop nothing the toggle key does: a note on the dictionary, say.
bool StopsTheSwap(const CheckWarning& warning) {
    return warning.kind != FindingKind::kSkippedLine && warning.kind != FindingKind::kDictionary;
}

void JudgeFiles(const DiagnosisFacts& facts, std::vector<DiagnosisFinding>& findings) {
    if (!facts.folderIsReadable) {
        findings.push_back({Finding::kFolderUnreadable, Mark::kProblem});
        return;
    }
    if (!facts.pluginPresent) {
        findings.push_back({Finding::kPluginMissing, Mark::kProblem});
    } else if (facts.pluginProblem.kind != FileProblem::kNone) {
        findings.push_back({Finding::kPluginUnreadable, Mark::kProblem});
    } else if (facts.plugin.kind != PeKind::kDll64) {
        findings.push_back({Finding::kPluginBroken, Mark::kProblem});
    } else {
        findings.push_back({Finding::kPluginSound, Mark::kOk});
        for (const ImportFact& import : facts.imports) {
            switch (import.place) {
            case ImportPlace::kWindows:
                findings.push_back({Finding::kImportWindows, Mark::kOk, import.name});
                break;
            case ImportPlace::kBesideGame:
                findings.push_back({Finding::kImportBesideGame, Mark::kOk, import.name});
                break;
            case ImportPlace::kMissing:
                findings.push_back({Finding::kImportMissing, Mark::kProblem, import.name});
                break;
            }
        }
    }
    findings.push_back({Finding::kLoaderNeeded, Mark::kNote});
}

void JudgeSettings(const DiagnosisFacts& facts, std::vector<DiagnosisFinding>& findings) {
    if (!facts.folderIsReadable) return;
    if (!facts.settingsPresent) {
        findings.push_back({Finding::kSettingsMissing, Mark::kOk});
    } else if (facts.settingsProblem.kind != FileProblem::kNone) {
        findings.push_back({Finding::kSettingsUnreadable, Mark::kProblem});
    } else if (UnreadableFinding(facts.settings) != nullptr) {
        findings.push_back({Finding::kSettingsUseless, Mark::kProblem});
    } else if (facts.settings.warnings.empty()) {
        findings.push_back({Finding::kSettingsClean, Mark::kOk});
    } else {
        const auto& warnings = facts.settings.warnings;
        findings.push_back({Finding::kSettingsWarned,
                            Check(std::none_of(warnings.begin(), warnings.end(), StopsTheSwap)), "",
                            warnings.size()});
    }
}

void JudgeGame(const DiagnosisFacts& facts, std::vector<DiagnosisFinding>& findings) {
    if (facts.pid == 0) {
        if (facts.gameNamed) {
            findings.push_back({Finding::kGameNotFound, Mark::kProblem});
        } else if (facts.games.empty()) {
            findings.push_back({Finding::kNoGame, Mark::kProblem});
        } else if (facts.withPlugin.size() > 1) {
            findings.push_back({Finding::kSeveralGames, Mark::kProblem});
        } else {
            findings.push_back({Finding::kPluginNotLoaded, Mark::kProblem});
        }
        return;
    }
    if (!facts.modulesListed) {
        findings.push_back({Finding::kModulesUnlisted, Mark::kProblem});
        return;
    }
    if (!Loaded(facts, kPluginFileName)) {
        findings.push_back({Finding::kPluginNotLoaded, Mark::kProblem});
        return;
    }
    findings.push_back({Finding::kPluginLoaded, Mark::kOk});
    for (const ImportFact& import : facts.imports) {
        if (import.place == ImportPlace::kBesideGame && !Loaded(facts, import.name))
            findings.push_back({Finding::kHookNotLoaded, Mark::kProblem, import.name});
    }
    if (facts.scan.problem == ScanProblem::kCannotOpen &&
        facts.scan.opening == platform::ProcessOpening::kRunByWine) {
        findings.push_back({Finding::kMemoryUnseen, Mark::kNote});
        return;
    }
    if (facts.scan.problem != ScanProblem::kNone) {
        findings.push_back({Finding::kScanFailed, Mark::kProblem});
        return;
    }
    for (size_t pair = 0; pair < kPairCount; ++pair) {
        const ScannedPair& scanned = facts.scan.report.pairs[pair];
        const bool ok = scanned.verdict != Verdict::kSkipped && scanned.corruptingLine == 0;
        findings.push_back({Finding::kPairVerdict, Check(ok), "", 0, pair});
    }
}

VersionMatch MatchOf(const DiagnosisFacts& facts) {
    if (facts.plugin.version.empty()) return VersionMatch::kUnnamed;
    // The plug-in's version resource has four parts, this program's three.
    return facts.plugin.version == facts.ourVersion + ".0" ? VersionMatch::kSame
                                                           : VersionMatch::kOther;
}

// What the key would do now: the count of the old items it would swap, or, where none is
// left and new ones are found, of the new ones the swap has put in place.
void JudgeSwap(Diagnosis& diagnosis) {
    const DiagnosisFacts& facts = diagnosis.facts;
    if (!facts.scanned || facts.scan.problem != ScanProblem::kNone) return;
    uint64_t wouldSwap = 0, swapped = 0;
    for (const ScannedPair& pair : facts.scan.report.pairs) {
        if (pair.verdict == Verdict::kWouldSwap) wouldSwap += pair.before.count;
        if (pair.verdict == Verdict::kOnlyNew) swapped += pair.after.count;
    }
    if (wouldSwap > 0) {
        diagnosis.swap = SwapState::kWouldSwap;
        diagnosis.places = wouldSwap;
    } else if (swapped > 0) {
        diagnosis.swap = SwapState::kOn;
        diagnosis.places = swapped;
    } else {
        diagnosis.swap = SwapState::kNothing;
    }
}

} // namespace

bool IsWindowsOwnLibrary(std::string_view dll) {
    for (std::string_view rest = kWindowsLibraries; !rest.empty();) {
        const size_t comma = std::min(rest.find(','), rest.size());
        if (SameFileName(rest.substr(0, comma), dll)) return true;
        rest.remove_prefix(std::min(comma + 1, rest.size()));
    }
    return false;
}

FindingGroup GroupOf(Finding finding) {
    if (finding <= Finding::kLoaderNeeded) return FindingGroup::kFiles;
    if (finding <= Finding::kSettingsClean) return FindingGroup::kSettings;
    if (finding <= Finding::kPairVerdict) return FindingGroup::kGame;
    return FindingGroup::kWine;
}

bool OpensGroup(const std::vector<DiagnosisFinding>& findings, size_t i) {
    return i == 0 || GroupOf(findings[i].what) != GroupOf(findings[i - 1].what);
}

Diagnosis Judge(DiagnosisFacts facts) {
    Diagnosis diagnosis;
    std::vector<DiagnosisFinding>& findings = diagnosis.findings;
    JudgeFiles(facts, findings);
    JudgeSettings(facts, findings);
    JudgeGame(facts, findings);
    if (!facts.windowsHere) {
        findings.push_back({Finding::kLinuxCommand, Mark::kNote});
    } else if (facts.underWine) {
        findings.push_back({Finding::kWinePrefix, Mark::kNote});
    } else {
        findings.push_back({Finding::kNativeWindows, Mark::kNote});
    }
    const auto problem =
        std::find_if(findings.begin(), findings.end(), [](const DiagnosisFinding& finding) {
            return finding.mark == Mark::kProblem;
        });
    diagnosis.allOk = problem == findings.end();
    diagnosis.firstProblem = size_t(problem - findings.begin());
    diagnosis.toggleKey = facts.settingsPresent && facts.settingsProblem.kind == FileProblem::kNone
                              ? facts.settings.parsed.swap.activationKey
                              : ParseActivationKey(kDefaultKeyName);
    diagnosis.version = MatchOf(facts);
    diagnosis.facts = std::move(facts);
    JudgeSwap(diagnosis);
    return diagnosis;
}
