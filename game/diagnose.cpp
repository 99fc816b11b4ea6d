// Gathering the diagnosis's facts: the game running from the folder, or the one the player
// named, and what it has loaded; the game's folder, the plug-in's file and the settings file
// the game reads. Reading only.
#include "game/diagnosis.h"

#include "platform/process_folder.h"
#include "platform/process_modules.h"
#include "platform/wine.h"
#include "settings/settings.h"
#include "settings_file/suggest.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool SameFileName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ContainsIgnoringCase(a, b);
}

// The entry of `folder` named `name` in any case, as Windows finds a file; "" when none.
fs::path FindIgnoringCase(const fs::path& folder, std::string_view name) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (SameFileName(entry.path().filename().string(), name)) return entry.path();
    }
    return {};
}

bool HasLoadedPlugin(const std::vector<std::string>& modules) {
    return std::any_of(modules.begin(), modules.end(), [](const std::string& module) {
        return SameFileName(module, kPluginFileName);
    });
}

void ReadPlugin(DiagnosisFacts& facts) {
    const fs::path file = FindIgnoringCase(facts.folder, kPluginFileName);
    facts.pluginPresent = !file.empty();
    if (!facts.pluginPresent) return;
    std::string bytes;
    if (!ReadWholeFile(file.string(), bytes, facts.pluginProblem)) return;
    facts.plugin = ReadPeFacts(bytes);
    for (const std::string& name : facts.plugin.imports) {
        ImportPlace place = ImportPlace::kMissing;
        if (IsWindowsOwnLibrary(name)) {
            place = ImportPlace::kWindows;
        } else if (!FindIgnoringCase(facts.folder, name).empty()) {
            place = ImportPlace::kBesideGame;
        }
        facts.imports.push_back({name, place});
    }
}

// The settings file the game reads: where the scan found it, in the game's current folder,
// or else the one beside its program.
void ReadSettings(DiagnosisFacts& facts) {
    // The scan read it already: one reading serves both.
    if (facts.scanned && facts.scan.settingsRead) {
        facts.settingsPresent = true;
        facts.settings = facts.scan.settings;
        return;
    }
    fs::path file = facts.scan.settingsPath;
    if (!facts.scanned || file.empty()) file = FindIgnoringCase(facts.folder, kSettingsFileName);
    std::error_code error;
    facts.settingsPresent = !file.empty() && fs::exists(file, error);
    if (!facts.settingsPresent) return;
    std::string bytes;
    if (ReadWholeFile(file.string(), bytes, facts.settingsProblem))
        facts.settings = CheckSettings(ReadDocument(std::move(bytes)));
}

// The game the player named: its id, once it is known to run, and what it has loaded.
void FindNamedGame(DiagnosisFacts& facts, const ProcessToScan& named) {
    if (!FindGameProcess(named, facts.scan)) return;
    platform::ProcessReader reader;
    facts.scan.opening = platform::OpenProcessForReading(facts.scan.pid, reader);
    if (facts.scan.opening == platform::ProcessOpening::kNoSuchProcess) {
        facts.scan.problem = ScanProblem::kCannotOpen;
        return;
    }
    if (facts.scan.opening == platform::ProcessOpening::kOpened)
        platform::CloseProcessReader(reader);
    facts.pid = facts.scan.pid;
    facts.modulesListed = platform::LoadedModules(facts.pid, facts.modules);
}

// The game among the programs running from the folder: the one that has loaded the plug-in,
// so that a launcher beside it is no second game; or the only one.
void FindGameInFolder(DiagnosisFacts& facts, const std::vector<std::string>& ours) {
    for (const platform::RunningProgram& program : platform::ProgramsInFolder(facts.folder)) {
        const bool isOurs = std::any_of(ours.begin(), ours.end(), [&](const std::string& name) {
            return SameFileName(program.file, name);
        });
        if (isOurs) continue;
        facts.games.push_back(program);
        std::vector<std::string> loaded;
        if (platform::LoadedModules(program.pid, loaded) && HasLoadedPlugin(loaded))
            facts.withPlugin.push_back(program);
    }
    size_t game = facts.games.size();
    if (facts.withPlugin.size() == 1) {
        game = size_t(std::find_if(facts.games.begin(), facts.games.end(),
                                   [&](const platform::RunningProgram& program) {
                                       return program.pid == facts.withPlugin[0].pid;
                                   }) -
                      facts.games.begin());
    } else if (facts.games.size() == 1) {
        game = 0;
    }
    if (game == facts.games.size()) return;
    facts.pid = facts.games[game].pid;
    facts.modulesListed = platform::LoadedModules(facts.pid, facts.modules);
}

std::string TidyFolder(const std::string& folder) {
    std::string full = FullPath(folder.empty() ? "." : folder);
    while (full.size() > 1 && (full.back() == '/' || full.back() == '\\'))
        full.pop_back();
    return full;
}

} // namespace

Diagnosis Diagnose(const DiagnosisTarget& target, const std::string& ourVersion,
                   const std::vector<std::string>& ours) {
    DiagnosisFacts facts;
    facts.ourVersion = ourVersion;
    facts.gameNamed = target.game.pid != 0 || !target.game.process.empty();
    std::string folder = target.folder;
    if (facts.gameNamed) {
        FindNamedGame(facts, target.game);
        // A game named elsewhere is judged by the files beside its own program.
        if (folder.empty() && facts.pid != 0)
            folder = fs::path(platform::ProgramFile(facts.pid)).parent_path().string();
        facts.folder = TidyFolder(folder);
    } else {
        facts.folder = TidyFolder(folder);
        FindGameInFolder(facts, ours);
    }
    std::error_code error;
    facts.folderIsReadable = fs::is_directory(facts.folder, error);
    if (facts.folderIsReadable) ReadPlugin(facts);
    // A game found in the folder is read once it has loaded the plug-in; one the player named,
    // whatever it has loaded, for what the key would find there.
    if (facts.pid != 0 && (facts.gameNamed || HasLoadedPlugin(facts.modules))) {
        facts.scan = ScanGame(ProcessToScan{facts.pid, ""}, "", false, nullptr);
        facts.scanned = true;
    }
    if (facts.folderIsReadable) ReadSettings(facts);
    facts.windowsHere = !platform::SystemLibraryFolder().empty();
    facts.underWine = platform::RunsUnderWine();
    if (const char* prefix = std::getenv("WINEPREFIX"); facts.underWine && prefix != nullptr)
        facts.winePrefix = prefix;
    return Judge(std::move(facts));
}
