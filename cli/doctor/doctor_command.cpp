#include "cli/doctor/doctor_command.h"
#include "cli/check/check_words.h"
#include "cli/printable.h"

#include "cli/print_report.h"
#include "cli/report_text.h"
#include "cli/scan/scan_print.h"
#include "cli/version.h"
#include "settings/key_names.h"
#include "settings/settings.h"
#include "settings_file/bytes_text.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

namespace {

const std::string kPlugin = kPluginFileName;

std::string BrokenPluginWords(PeKind kind) {
    switch (kind) {
    case PeKind::kNotPe:
        return kPlugin + " is not a Windows DLL: the file is damaged; extract it again from the "
                         "release zip";
    case PeKind::kTruncated:
        return kPlugin + " is cut short: its download or copy broke off; extract it again from "
                         "the release zip";
    case PeKind::kNot64Bit:
        return kPlugin + " is built for another machine than 64-bit Windows, and the game loads "
                         "64-bit DLLs only: take the one from this release";
    case PeKind::kNotDll:
        return kPlugin + " is a program, not a DLL: take the one from this release";
    case PeKind::kDll64:
        break;
    }
    return kPlugin + " is a 64-bit DLL";
}

std::string WineOverrideWords() {
    return "; under Wine or Proton, Wine loads the plug-in loader's DLL only when told to: add "
           "WINEDLLOVERRIDES=\"LOADER=n,b\" %command% to the game's launch options in Steam (or "
           "set it before `wine` starts the game), LOADER being the file name of the loader's "
           "DLL without .dll";
}

const char* GroupHeading(FindingGroup group) {
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

const char* GroupJsonName(FindingGroup group) {
    switch (group) {
    case FindingGroup::kFiles:
        return "files";
    case FindingGroup::kSettings:
        return "settings";
    case FindingGroup::kGame:
        return "game";
    case FindingGroup::kWine:
        break;
    }
    return "wine";
}

// One line of the scan's words, which come a line each: the doctor says a finding on one line.
std::string OneLine(std::string words) {
    while (!words.empty() && words.back() == '\n')
        words.pop_back();
    for (size_t at = words.find('\n'); at != std::string::npos; at = words.find('\n', at))
        words.replace(at, 1, " ");
    return words;
}

// What to do about a plug-in file that cannot be read.
std::string UnreadablePluginStep(const FileProblem& problem) {
    return problem.kind == FileProblem::kFolder
               ? "put the " + kPlugin + " of the release zip there in its place"
               : "extract it again from the release zip";
}

std::string GameNotFoundWords(const GameScan& scan) {
    std::string words = OneLine(ScanProblemWords(scan));
    if (scan.problem == ScanProblem::kCannotOpen)
        words += ": start the game, or give the id the system lists it by";
    return words;
}

// Why the key does nothing yet, and what to do first: the summary's cause.
std::string Reason(const Diagnosis& diagnosis, const DiagnosisFinding& finding) {
    const DiagnosisFacts& facts = diagnosis.facts;
    switch (finding.what) {
    case Finding::kFolderUnreadable:
        return "the folder is not one that can be read (give the game's folder with --folder DIR)";
    case Finding::kPluginMissing:
        return kPlugin + " is not beside the game's program (put it there)";
    case Finding::kPluginUnreadable:
        return kPlugin + " " + FileProblemWords(facts.pluginProblem) + " (" +
               UnreadablePluginStep(facts.pluginProblem) + ")";
    case Finding::kPluginBroken:
        return BrokenPluginWords(facts.plugin.kind);
    case Finding::kImportMissing:
        return finding.name + ", which " + kPlugin +
               " needs, is missing (install the script hook's " + finding.name +
               " beside the game's program)";
    case Finding::kSettingsUnreadable:
    case Finding::kSettingsUseless:
    case Finding::kSettingsWarned:
        return "the settings file stops the swap (`ostrevane check` says how to mend it)";
    case Finding::kGameNotFound:
        return "the game named is not running (" + GameNotFoundWords(facts.scan) + ")";
    case Finding::kNoGame:
        return "no game is running to look into (start it and run the diagnosis again)";
    case Finding::kSeveralGames:
        return "several programs running from the folder have loaded " + kPlugin +
               " (name the game with --pid)";
    case Finding::kModulesUnlisted:
        return "the game could not be read (run ostrevane as the game's user)";
    case Finding::kScanFailed:
        return "the game could not be read: " + OneLine(ScanProblemWords(facts.scan));
    case Finding::kPluginNotLoaded:
        return "the game has not loaded " + kPlugin +
               " (install the plug-in loader for the game's version beside its program)";
    case Finding::kHookNotLoaded:
        return "the game has not loaded the script hook (install the script hook for the game's "
               "version)";
    case Finding::kPairVerdict:
        return "a pair would be skipped or would corrupt the game (`ostrevane check` names its "
               "line)";
    default:
        break;
    }
    return "something is wrong";
}

std::string ProgramsWords(const std::vector<platform::RunningProgram>& programs) {
    std::string listed;
    for (const platform::RunningProgram& program : programs)
        listed +=
            (listed.empty() ? "" : ", ") + program.file + " (" + std::to_string(program.pid) + ")";
    return listed;
}

} // namespace

std::string DoctorFindingWords(const Diagnosis& diagnosis, const DiagnosisFinding& finding) {
    const DiagnosisFacts& facts = diagnosis.facts;
    const std::string& name = finding.name;
    const std::string needs = ", which " + kPlugin + " needs, ";
    const std::string game = "The game (process " + std::to_string(facts.pid) + ")";
    switch (finding.what) {
    case Finding::kFolderUnreadable:
        return facts.folder +
               " is no folder that can be read: give the game's folder with --folder DIR";
    case Finding::kPluginMissing:
        return kPlugin + " is not in " + facts.folder +
               ": put it there, beside the game's program (its .exe)";
    case Finding::kPluginUnreadable:
        return kPlugin + " " + FileProblemWords(facts.pluginProblem) + ": " +
               UnreadablePluginStep(facts.pluginProblem);
    case Finding::kPluginBroken:
        return BrokenPluginWords(facts.plugin.kind);
    case Finding::kPluginSound:
        switch (diagnosis.version) {
        case VersionMatch::kUnnamed:
            return kPlugin + " is a 64-bit DLL, of no version it names";
        case VersionMatch::kSame:
            return kPlugin + " is a 64-bit DLL, version " + facts.plugin.version +
                   ", as this ostrevane";
        case VersionMatch::kOther:
            break;
        }
        return kPlugin + " is a 64-bit DLL, version " + facts.plugin.version +
               ", and this ostrevane is version " + facts.ourVersion +
               ".0: take both from one release";
    case Finding::kImportBesideGame:
        return name + needs + "is beside it";
    case Finding::kImportWindows:
        return name + needs + "is one of Windows' own";
    case Finding::kImportMissing:
        return name + needs +
               "is neither beside it nor one of Windows' own, so the game cannot "
               "load the plug-in: install the script hook's " +
               name + " in the game's folder";
    case Finding::kLoaderNeeded:
        return "The game loads .asi files only through a plug-in loader, installed beside its "
               "program with the script hook; the loader is no part of Ostrevane";
    case Finding::kSettingsMissing:
        return std::string(kSettingsFileName) +
               " is not there yet: the plug-in writes it when the game starts with it loaded";
    case Finding::kSettingsUnreadable:
        return std::string(kSettingsFileName) + " " + FileProblemWords(facts.settingsProblem);
    case Finding::kSettingsUseless:
        return std::string(kSettingsFileName) + ": " +
               FindingWords(*UnreadableFinding(facts.settings));
    case Finding::kSettingsWarned:
        return std::string(kSettingsFileName) + " has " +
               CountOf(finding.count, "warning", "warnings") +
               (finding.mark == Mark::kOk ? ", none of which stops the swap"
                                          : ": `ostrevane check` names each with its line");
    case Finding::kSettingsClean:
        return std::string(kSettingsFileName) + " reads without a warning";
    case Finding::kGameNotFound:
        return "The game named is not running: " + GameNotFoundWords(facts.scan);
    case Finding::kNoGame:
        return "No game is running from " + facts.folder +
               ": start it, then run `ostrevane doctor` again" +
               (facts.underWine
                    ? "; under Wine or Proton this command sees only the programs of its own "
                      "prefix: run it in the game's, with the game's Wine (Wine: "
                      "WINEPREFIX=/path/to/prefix wine ostrevane.exe doctor; Proton: its own "
                      "files/bin/wine64, with WINEPREFIX=steamapps/compatdata/APPID/pfx)"
                    : "");
    case Finding::kSeveralGames:
        return "Several programs running from the folder have loaded " + kPlugin + ": " +
               ProgramsWords(facts.withPlugin) + "; name the game with --pid";
    case Finding::kModulesUnlisted:
        return game + ": what it has loaded cannot be listed (it ended, or belongs to another "
                      "user): run ostrevane as the game's user";
    case Finding::kPluginNotLoaded:
        return (facts.pid != 0 ? game + " has not loaded "
                               : "None of the programs running from the folder, " +
                                     ProgramsWords(facts.games) + ", has loaded ") +
               kPlugin +
               ". Usually the plug-in loader is missing, or out of date for the game's version, "
               "or " +
               kPlugin + " is in another folder than the game's program" +
               (facts.underWine ? WineOverrideWords() : "");
    case Finding::kPluginLoaded:
        return game + " has loaded " + kPlugin;
    case Finding::kHookNotLoaded:
        return game + " has not loaded " + name + needs + "so the plug-in cannot run";
    case Finding::kScanFailed:
        return "The game could not be read: " + OneLine(ScanProblemWords(facts.scan));
    case Finding::kMemoryUnseen:
        return "Wine or Proton runs the game, whose memory only ostrevane.exe in the game's "
               "prefix can read: for each pair's items there, run WINEPREFIX=/path/to/prefix "
               "wine ostrevane.exe doctor";
    case Finding::kPairVerdict: {
        const ScannedPair& pair = facts.scan.report.pairs[finding.pair];
        return "The " + std::string(pair.pair->name) + " pair: " + VerdictText(pair);
    }
    case Finding::kNativeWindows:
        return "ostrevane runs on Windows itself";
    case Finding::kWinePrefix:
        return "ostrevane runs under Wine or Proton, in the prefix " +
               (facts.winePrefix.empty() ? std::string("Wine uses by default (~/.wine)")
                                         : facts.winePrefix) +
               ", and sees only the programs of that prefix";
    case Finding::kLinuxCommand:
        break;
    }
    return "This is the Linux ostrevane: it finds a game that Wine or Proton runs and what it "
           "has loaded, but cannot read the game's memory";
}

std::string DoctorSummary(const Diagnosis& diagnosis) {
    const std::string key = KeyCodeName(diagnosis.toggleKey);
    if (!diagnosis.allOk) {
        return key + " does nothing yet: " +
               Reason(diagnosis, diagnosis.findings[diagnosis.firstProblem]) + ".";
    }
    const std::string loaded = key + " should work: the game has loaded " + kPlugin;
    const std::string places = CountOf(diagnosis.places, "place", "places");
    switch (diagnosis.swap) {
    case SwapState::kWouldSwap:
        return loaded + " and the pairs would swap " + places + ".";
    case SwapState::kOn:
        return loaded + ", and the swap is on now: the new items are in " + places + ".";
    case SwapState::kNothing:
        return loaded + ", but neither item of any pair is in its memory now: the game has "
                        "not loaded them in this scene.";
    case SwapState::kUnknown:
        break;
    }
    return loaded + "; whether the pairs find their items, only ostrevane.exe doctor in the "
                    "game's Wine prefix can tell.";
}

namespace {

const char* MarkWords(Mark mark) {
    switch (mark) {
    case Mark::kOk:
        return "  OK       ";
    case Mark::kProblem:
        return "  PROBLEM  ";
    case Mark::kNote:
        break;
    }
    return "  NOTE     ";
}

const char* MarkJson(Mark mark) {
    switch (mark) {
    case Mark::kOk:
        return "true";
    case Mark::kProblem:
        return "false";
    case Mark::kNote:
        break;
    }
    return "null";
}

void PrintText(const Diagnosis& diagnosis, std::ostream& out) {
    const std::vector<DiagnosisFinding>& findings = diagnosis.findings;
    for (size_t i = 0; i < findings.size(); ++i) {
        if (OpensGroup(findings, i))
            out << (i == 0 ? "" : "\n") << GroupHeading(GroupOf(findings[i].what)) << "\n";
        out << MarkWords(findings[i].mark) << Printable(DoctorFindingWords(diagnosis, findings[i]))
            << "\n";
    }
    out << "\n" << Printable(DoctorSummary(diagnosis)) << "\n";
}

void PrintJson(const Diagnosis& diagnosis, std::ostream& out) {
    out << "{\n"
        << "  \"ok\": " << (diagnosis.allOk ? "true" : "false") << ",\n"
        << "  \"summary\": " << JsonString(DoctorSummary(diagnosis)) << ",\n";
    PrintJsonList(out, "findings", diagnosis.findings.size(), [&](size_t i) {
        const DiagnosisFinding& finding = diagnosis.findings[i];
        out << "{\"group\": \"" << GroupJsonName(GroupOf(finding.what))
            << "\", \"ok\": " << MarkJson(finding.mark)
            << ", \"text\": " << JsonString(DoctorFindingWords(diagnosis, finding)) << "}";
    });
    out << "\n}\n";
}

} // namespace

void AddDoctorCommand(CLI::App& app, CommandLine& line) {
    CLI::App* doctor = app.add_subcommand(
        "doctor", "Find out why the toggle key does nothing: the files beside the game, the "
                  "settings file, the running game and what it has loaded, reading only.");
    struct Options {
        DiagnosisTarget target;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    doctor
        ->add_option("--folder", options->target.folder,
                     "The game's folder (default: the named game's, or here)")
        ->type_name("DIR");
    CLI::Option_group* game =
        doctor->add_option_group("game", "The game, when not the one running from the folder:");
    game->add_option("--pid", options->target.game.pid, "The game's process id")
        ->type_name("PID")
        ->check(CLI::Validator(
            [](const std::string& pid) {
                return pid.find_first_not_of('0') == std::string::npos
                           ? std::string("no process has the id 0; give the game's process id")
                           : std::string();
            },
            ""));
    game->add_option("--process", options->target.game.process,
                     "The game's program file, e.g. Game.exe")
        ->type_name("NAME");
    game->require_option(0, 1);
    doctor->add_flag("--json", options->json, "Print one JSON object instead of text");
    doctor->callback([&line, options] {
        const Diagnosis diagnosis =
            Diagnose(options->target, VersionNumber(),
                     {"ostrevane", "ostrevane.exe", "OstrevaneSettings.exe"});
        if (options->json) {
            PrintJson(diagnosis, line.out);
        } else {
            PrintText(diagnosis, line.out);
        }
        line.status = diagnosis.allOk ? kExitOk : kExitWarnings;
    });
}
