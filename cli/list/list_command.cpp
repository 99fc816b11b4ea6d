#include "cli/list/list_command.h"
#include "cli/printable.h"

#include "cli/check/check_command.h"
#include "cli/check/check_words.h"
#include "cli/print_report.h"
#include "cli/report_text.h"
#include "settings/settings.h"
#include "settings_file/bytes_text.h"
#include "settings_file/list_names.h"
#include "settings_file/suggest.h"
#include "settings_file/whole_files.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <ostream>

namespace {

struct ListOptions {
    std::string section, text, settingsPath = kSettingsFileName;
};

void PrintNames(const std::string& settingsPath, const NameList& list, std::string_view text,
                std::ostream& out) {
    const SwapPair& pair = SwapPairs[list.section];
    size_t width = 0;
    for (const ListedName& entry : list.names)
        width = std::max(width, Printable(entry.name).size());

    out << "Settings file: " << FullPath(settingsPath) << "\n";
    for (const ListedName& entry : list.names) {
        out << "  " << Padded(Printable(entry.name), width + 2) << HexHash(entry.hash);
        if (entry.chosenAsOld) out << "  " << pair.oldSetting.name;
        if (entry.chosenAsNew) out << "  " << pair.newSetting.name;
        out << "\n";
    }
    if (text.empty()) {
        out << CountOf(list.inSection, "name", "names") << " under " << pair.header << ".\n";
    } else {
        out << list.names.size() << " of " << CountOf(list.inSection, "name", "names") << " under "
            << pair.header << " hold \"" << Printable(text) << "\".\n";
    }
    if (!list.names.empty()) {
        out << "Choose one with `ostrevane set " << pair.oldSetting.name
            << " NAME` (the item to replace) or `ostrevane set " << pair.newSetting.name
            << " NAME` (the item to use instead).\n";
    }
}

int RunList(const ListOptions& options, std::ostream& out, std::ostream& err) {
    const size_t section = NamedSection(options.section);
    if (section == kPairCount) {
        err << "ostrevane list: \"" << Printable(options.section) << "\" is not a section";
        const std::vector<std::string_view> words = SectionWords();
        std::string_view closest = ClosestName(options.section, words);
        // "loop" for "shakeloop": part of a word is as telling as a slip in one.
        const auto holding = std::find_if(words.begin(), words.end(), [&](std::string_view word) {
            return ContainsIgnoringCase(word, options.section);
        });
        if (closest.empty() && !options.section.empty() && holding != words.end())
            closest = *holding;
        if (!closest.empty()) err << "; did you mean \"" << closest << "\"?";
        err << "\nSections: " << Listed(words) << "; for example `ostrevane list " << words.back()
            << "`.\n";
        return kExitFailed;
    }
    std::string bytes;
    if (!ReadSettingsFile("ostrevane list: ", options.settingsPath, bytes, err)) return kExitFailed;
    const SettingsDocument document = ReadDocument(std::move(bytes));
    const CheckReport check = CheckSettings(document);
    if (RefuseUnreadable("ostrevane list: ", options.settingsPath, check, err)) return kExitFailed;
    PrintNames(options.settingsPath, ListNames(document, section, options.text), options.text, out);
    // What the plug-in still reads past, such as a Ctrl-Z that ends the file early, can hide
    // names: the list is only true with it said.
    std::vector<std::string> wholeFile;
    for (const CheckWarning& warning : check.warnings) {
        if (warning.kind == FindingKind::kWholeFile)
            wholeFile.push_back(NumberedFindingWords(warning));
    }
    if (!wholeFile.empty()) PrintWarnings(wholeFile, out);
    return kExitOk;
}

} // namespace

void AddListCommand(CLI::App& app, CommandLine& line) {
    CLI::App* list = app.add_subcommand(
        "list", "List the item names under one section of the settings file's dictionary, "
                "with their hashes: the names a setting can take.");
    auto options = std::make_shared<ListOptions>();
    list->add_option("SECTION", options->section, Listed(SectionWords(), " or "))->required();
    list->add_option("TEXT", options->text, "Only the names that hold TEXT, in any case");
    list->add_option("--settings", options->settingsPath, SettingsFileHelp())->type_name("FILE");
    list->callback([&line, options] { line.status = RunList(*options, line.out, line.err); });
}
