#include "cli/doctor/doctor_command.h"
#include "cli/check/check_words.h"
#include "cli/printable.h"

#include "cli/print_report.h"
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

// The first words of a summary that fails: why the key does nothing yet.
std::string Reason(Finding finding) {
    switch (finding) {
    case Finding::kFolderUnreadable:
        return "the folder is not one that can be read";
    case Finding::kPluginMissing:
        return kPlugin + " is not beside the game's program";
    case Finding::kPluginUnreadable:
    case Finding::kPluginBroken:
        return kPlugin + " is damaged";
    case Finding::kImportMissing:
        return "a DLL " + kPlugin + " needs is missing";
    case Finding::kSettingsUnreadable:
    case Finding::kSettingsUseless:
    case Finding::kSettingsWarned:
        return "the settings file stops the swap";
    case Finding::kNoGame:
        return "no game is running to look into (start it and run the diagnosis again)";
    case Finding::kSeveralGames:
        return "several programs run from the folder (name the game)";
    case Finding::kModulesUnlisted:
    case Finding::kScanFailed:
        return "the game could not be read";
    case Finding::kPluginNotLoaded:
        return "the game has not loaded " + kPlugin;
    case Finding::kHookNotLoaded:
        return "the game has not loaded the script hook";
    case Finding::kPairVerdict:
        return "a pair would be skipped or would corrupt the game";
    default:
        break;
    }
    return "something is wrong";
}

std::string KeyName(const Diagnosis& diagnosis) {
    const DiagnosisFacts& facts = diagnosis.facts;
    if (facts.settingsPresent && facts.settingsProblem.words.empty())
        return KeyCodeName(facts.settings.parsed.swap.activationKey);
    return "F8";
}

} // namespace

std::string DoctorFindingWords(const Diagnosis& diagnosis, const DiagnosisFinding& finding) {
    const DiagnosisFacts& facts = diagnosis.facts;
    const std::string& text = finding.text;
    const std::string needs = ", which " + kPlugin + " needs, ";
    const std::string game = "The game (process " + std::to_string(facts.pid) + ")";
    switch (finding.what) {
    case Finding::kFolderUnreadable:
        return text + " is no folder that can be read: give the game's folder with --folder DIR";
    case Finding::kPluginMissing:
        return kPlugin + " is not in " + facts.folder +
               ": put it there, beside the game's program (its .exe)";
    case Finding::kPluginUnreadable:
        return kPlugin + " " + text;
    case Finding::kPluginBroken:
        return BrokenPluginWords(facts.plugin.kind);
    case Finding::kPluginSound: {
        const std::string ours = facts.ourVersion + ".0";
        if (text.empty()) return kPlugin + " is a 64-bit DLL, of no version it names";
        return kPlugin + " is a 64-bit DLL, version " + text +
               (text == ours
                    ? ", as this ostrevane"
                    : ", and this ostrevane is version " + ours + ": take both from one release");
    }
    case Finding::kImportBesideGame:
        return text + needs + "is beside it";
    case Finding::kImportWindows:
        return text + needs + "is one of Windows' own";
    case Finding::kImportMissing:
        return text + needs +
               "is neither beside it nor one of Windows' own, so the game cannot "
               "load the plug-in: install the script hook's " +
               text + " in the game's folder";
    case Finding::kImportUnknown:
        return text + needs + "is not beside it; whether Windows has it cannot be seen from here";
    case Finding::kLoaderNeeded:
        return "The game loads .asi files only through a plug-in loader, installed beside its "
               "program with the script hook; the loader is no part of Ostrevane";
    case Finding::kSettingsMissing:
        return std::string(kSettingsFileName) +
               " is not there yet: the plug-in writes it when the game starts with it loaded";
    case Finding::kSettingsUnreadable:
        return std::string(kSettingsFileName) + " " + text;
    case Finding::kSettingsUseless:
        return std::string(kSettingsFileName) + ": " +
               FindingWords(*UnreadableFinding(diagnosis.facts.settings));
    case Finding::kSettingsWarned:
        return std::string(kSettingsFileName) + " has " +
               (text == "1" ? std::string("1 warning") : text + " warnings") +
               (finding.ok ? ", none of which stops the swap"
                           : ": `ostrevane check` names each with its line");
    case Finding::kSettingsClean:
        return std::string(kSettingsFileName) + " reads without a warning";
    case Finding::kNoGame:
        return "No game is running from " + text + ": start it, then run `ostrevane doctor` again" +
               (facts.underWine ? "; under Wine or Proton this command sees only the programs "
                                  "of its own prefix: run it in the game's, "
                                  "WINEPREFIX=/path/to/prefix wine ostrevane.exe doctor"
                                : "");
    case Finding::kSeveralGames:
        return "Several programs run from the folder: " + text +
               "; name the game with --pid or --process";
    case Finding::kModulesUnlisted:
        return game + ": what it has loaded cannot be listed (it ended, or belongs to another "
                      "user): run ostrevane as the game's user";
    case Finding::kPluginNotLoaded:
        return game + " has not loaded " + kPlugin +
               ". Usually the plug-in loader is missing, or out of date for the game's version, "
               "or " +
               kPlugin + " is in another folder than the game's program" +
               (facts.underWine ? WineOverrideWords() : "");
    case Finding::kPluginLoaded:
        return game + " has loaded " + kPlugin;
    case Finding::kHookNotLoaded:
        return game + " has not loaded " + text + needs + "so the plug-in cannot run";
    case Finding::kScanFailed: {
        std::string words = ScanProblemWords(facts.scan);
        while (!words.empty() && words.back() == '\n')
            words.pop_back();
        return "The game could not be read: " + words;
    }
    case Finding::kPairVerdict: {
        const ScannedPair& pair = facts.scan.report.pairs[finding.pair];
        return "The " + std::string(pair.pair->name) + " pair: " + VerdictText(pair);
    }
    case Finding::kNativeWindows:
        return "ostrevane runs on Windows itself";
    case Finding::kWinePrefix:
        return "ostrevane runs under Wine or Proton, in the prefix " +
               (text.empty() ? std::string("Wine uses by default (~/.wine)") : text) +
               ", and sees only the programs of that prefix";
    case Finding::kLinuxCommand:
        break;
    }
    return "This is the Linux ostrevane: it reads the files, but sees no game that Wine or "
           "Proton runs; for the game's findings run WINEPREFIX=/path/to/prefix wine "
           "ostrevane.exe doctor";
}

std::string DoctorSummary(const Diagnosis& diagnosis) {
    const std::string key = KeyName(diagnosis);
    if (diagnosis.allOk) {
        uint64_t places = 0;
        for (const ScannedPair& pair : diagnosis.facts.scan.report.pairs)
            if (pair.verdict == Verdict::kWouldSwap) places += pair.before.count;
        return key + " should work: the game has loaded " + kPlugin + " and the pairs would swap " +
               std::to_string(places) + (places == 1 ? " place." : " places.");
    }
    for (const DiagnosisFinding& finding : diagnosis.findings) {
        if (!finding.ok)
            return key + " does nothing yet: " + Reason(finding.what) +
                   ". Each PROBLEM above says what to do.";
    }
    return "";
}

namespace {

void PrintText(const Diagnosis& diagnosis, std::ostream& out) {
    bool first = true;
    FindingGroup group{};
    for (const DiagnosisFinding& finding : diagnosis.findings) {
        if (first || GroupOf(finding.what) != group) {
            group = GroupOf(finding.what);
            out << (first ? "" : "\n") << GroupHeading(group) << "\n";
            first = false;
        }
        out << (finding.ok ? "  OK       " : "  PROBLEM  ")
            << Printable(DoctorFindingWords(diagnosis, finding)) << "\n";
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
            << "\", \"ok\": " << (finding.ok ? "true" : "false")
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
    doctor->add_option("--folder", options->target.folder, "The game's folder (default: here)")
        ->type_name("DIR");
    CLI::Option_group* game =
        doctor->add_option_group("game", "The game, when not the one running from the folder:");
    game->add_option("--pid", options->target.game.pid, "The game's process id")->type_name("PID");
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
