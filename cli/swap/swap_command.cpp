#include "cli/swap/swap_command.h"

#include "cli/print_report.h"
#include "cli/report_text.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "settings_file/whole_files.h"
#include "swap/swap.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <ostream>

namespace {

int RunSwap(bool restore, const std::string& settingsPath, const std::string& in,
            const std::string& outPath, bool replace, std::ostream& out, std::ostream& err) {
    std::string settings, bytes;
    if (!ReadSettingsFile("ostrevane swap: settings file ", settingsPath, settings, err)) {
        return kExitFailed;
    }
    FileProblem problem;
    if (!ReadWholeFile(in, bytes, problem)) {
        err << "ostrevane swap: " << FullPath(in) << ": " << FileProblemWords(problem) << "\n";
        return kExitFailed;
    }
    // A dump is often the only copy of what it holds: rewriting it takes a word from the user.
    std::error_code error;
    if (!replace && std::filesystem::equivalent(in, outPath, error)) {
        err << "ostrevane swap: IN and OUT are the same file, " << FullPath(in)
            << ", which the swap would rewrite in place; name another OUT, or add --force to "
               "rewrite it\n";
        return kExitFailed;
    }
    out << "Settings file: " << FullPath(settingsPath) << "\n";
    const SwapSettingsRecord swap = ParseSettings(settings).swap;
    const SubstitutionChain chain = restore ? RestoreChain(swap) : ApplyChain(swap);
    if (chain.count < kPairCount) {
        err << "ostrevane swap: skipping " << kPairCount - chain.count << " of the "
            << NumberWord(kPairCount)
            << " pairs, where a name resolves to 0; `ostrevane check` tells which\n";
    }
    const size_t rewritten =
        SubstituteRange(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), chain);
    if (!WriteWholeFile(outPath, bytes, replace, problem)) {
        err << "ostrevane swap: " << FullPath(outPath) << ": " << FileProblemWords(problem) << "\n";
        return kExitFailed;
    }
    out << CountOf(rewritten, "place", "places") << " rewritten\n";
    return kExitOk;
}

} // namespace

void AddSwapCommand(CLI::App& app, CommandLine& line) {
    CLI::App* swap = app.add_subcommand(
        "swap", "Run the plug-in's substitution over the bytes of IN as one memory region "
                "and write the result to OUT, as for a memory dump.");
    struct Options {
        bool apply = false, restore = false, replace = false;
        std::string settingsPath = kSettingsFileName, in, out;
    };
    auto options = std::make_shared<Options>();
    CLI::Option_group* direction = swap->add_option_group("direction", "What to do:");
    direction->add_flag("--apply", options->apply, "Old hashes to new, as on enabling the mod");
    direction->add_flag("--restore", options->restore,
                        "New hashes back to old, as on disabling it");
    direction->require_option(1);
    swap->add_option("--settings", options->settingsPath, SettingsFileHelp(""))->type_name("FILE");
    swap->add_option("IN", options->in, "The bytes to scan")->required();
    swap->add_option("OUT", options->out, "Where to write them")->required();
    swap->add_flag("--force", options->replace, "Replace OUT if it exists, even when it is IN");
    swap->callback([&line, options] {
        line.status = RunSwap(options->restore, options->settingsPath, options->in, options->out,
                              options->replace, line.out, line.err);
    });
}
