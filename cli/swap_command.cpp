#include "cli/commands.h"
#include "cli/files.h"
#include "cli/report_text.h"
#include "settings/parse_settings.h"
#include "swap/swap.h"

#include <filesystem>
#include <ostream>

int RunSwap(bool restore, const std::string& settingsPath, const std::string& in,
            const std::string& outPath, bool replace, std::ostream& out, std::ostream& err) {
    std::string settings, bytes;
    if (!ReadSettingsFile("ostrevane swap: settings file ", settingsPath, settings, err)) {
        return kExitFailed;
    }
    FileProblem problem;
    if (!ReadWholeFile(in, bytes, problem)) {
        err << "ostrevane swap: " << FullPath(in) << ": " << problem.words << "\n";
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
        err << "ostrevane swap: " << FullPath(outPath) << ": " << problem.words << "\n";
        return kExitFailed;
    }
    out << CountOf(rewritten, "window", "windows") << " rewritten\n";
    return kExitOk;
}
