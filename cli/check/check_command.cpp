#include "cli/check/check_command.h"
#include "check/check.h"
#include "cli/check/check_words.h"
#include "cli/print_report.h"
#include "cli/printable.h"
#include "cli/report_text.h"
#include "settings/key_names.h"
#include "settings/settings.h"
#include "settings/swap_pairs.h"
#include "settings_file/bytes_text.h"
#include "settings_file/whole_files.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>

namespace {

void PrintText(const std::string& path, const CheckReport& report, std::ostream& out) {
    const ParsedSettings& parsed = report.parsed;
    char keyCode[16];
    std::snprintf(keyCode, sizeof keyCode, "0x%02X", unsigned(parsed.swap.activationKey));
    out << "Settings file: " << FullPath(path) << "\n"
        << "Dictionary entries: " << parsed.dictionary.size() << "\n"
        << "Activation key: " << KeyCodeName(parsed.swap.activationKey) << " (" << keyCode << ")\n";

    size_t nameWidth = 0;
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting})
            nameWidth = std::max(nameWidth, Printable(parsed.values[setting.key]).size());
    }
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting}) {
            const std::string name = report.settingLines[setting.key] == 0
                                         ? "(not set)"
                                         : Printable(parsed.values[setting.key]);
            out << "  " << Padded(std::string(setting.name), 14)
                << Padded(name, std::max<size_t>(nameWidth, 9) + 2)
                << HexHash(parsed.swap.*setting.resolved) << "\n";
        }
    }

    std::vector<std::string> warnings;
    for (const CheckWarning& warning : report.warnings)
        warnings.push_back(NumberedFindingWords(warning));
    PrintWarnings(warnings, out);
}

void PrintJson(const CheckReport& report, std::ostream& out) {
    const ParsedSettings& parsed = report.parsed;
    out << "{\n"
        << "  \"entries\": " << parsed.dictionary.size() << ",\n"
        << "  \"activationKey\": " << parsed.swap.activationKey << ",\n";
    for (const SwapPair& pair : SwapPairs) {
        for (const PairSetting& setting : {pair.oldSetting, pair.newSetting})
            out << "  \"" << setting.jsonName << "\": " << parsed.swap.*setting.resolved << ",\n";
    }

    std::vector<std::pair<std::string_view, uint32_t>> entries(parsed.dictionary.begin(),
                                                               parsed.dictionary.end());
    std::sort(entries.begin(), entries.end()); // std::string orders bytes as unsigned
    PrintJsonList(
        out, "dictionary", entries.size(),
        [&](size_t i) { out << JsonString(entries[i].first) << ": " << entries[i].second; }, "{}");
    out << ",\n";
    PrintJsonList(out, "warnings", report.warnings.size(), [&](size_t i) {
        out << "{\"line\": " << report.warnings[i].line
            << ", \"message\": " << JsonString(FindingWords(report.warnings[i])) << "}";
    });
    out << "\n}\n";
}

} // namespace

int RunCheck(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (!ReadSettingsFile("ostrevane check: ", path, bytes, err)) return kExitFailed;
    return PrintCheck(path, CheckSettings(ReadDocument(std::move(bytes))), json, out);
}

int PrintCheck(const std::string& path, const CheckReport& report, bool json, std::ostream& out) {
    if (json) {
        PrintJson(report, out);
    } else {
        PrintText(path, report, out);
    }
    return report.warnings.empty() ? kExitOk : kExitWarnings;
}

bool RefuseUnreadable(const std::string& context, const std::string& path,
                      const CheckReport& report, std::ostream& err) {
    const CheckWarning* unreadable = UnreadableFinding(report);
    if (unreadable == nullptr) return false;
    err << context << FullPath(path) << ": " << FindingWords(*unreadable) << "\n";
    return true;
}

void AddCheckCommand(CLI::App& app, CommandLine& line) {
    CLI::App* check = app.add_subcommand(
        "check", "Read a settings file exactly as the plug-in does, never writing it, and "
                 "list every name, hash and trap with its line number.");
    struct Options {
        std::string path = kSettingsFileName;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    check->add_flag("--json", options->json, "Print one JSON object instead of text");
    // Named as the other commands name it, or given alone, as a file is to a reader.
    CLI::Option* file = check->add_option("FILE", options->path, SettingsFileHelp());
    check->add_option("--settings", options->path, SettingsFileHelp())
        ->type_name("FILE")
        ->excludes(file);
    check->callback([&line, options] {
        line.status = RunCheck(options->path, options->json, line.out, line.err);
    });
}
