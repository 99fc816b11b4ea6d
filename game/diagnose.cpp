// Gathering the diagnosis's facts: the game's folder, the plug-in's file, the settings file
// beside it, the game running from the folder and what it has loaded. Reading only.
#include "game/diagnosis.h"

#include "platform/process_modules.h"
#include "platform/wine.h"
#include "settings/settings.h"
#include "settings_file/suggest.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The entry of `folder` named `name` in any case, as Windows finds a file; "" when none.
fs::path FindIgnoringCase(const fs::path& folder, std::string_view name) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string leaf = entry.path().filename().string();
        if (leaf.size() == name.size() && ContainsIgnoringCase(leaf, name)) return entry.path();
    }
    return {};
}

// Windows' own library folder: this system's, or, for a game on a Windows drive or in a Wine
// prefix that this program sees from outside, the windows/system32 above the game's folder.
fs::path WindowsLibraries(const fs::path& gameFolder) {
    const std::string own = platform::SystemLibraryFolder();
    if (!own.empty()) return own;
    for (fs::path up = gameFolder; !up.empty() && up != up.root_path(); up = up.parent_path()) {
        const fs::path windows = FindIgnoringCase(up, "windows");
        if (windows.empty()) continue;
        const fs::path system = FindIgnoringCase(windows, "system32");
        if (!system.empty()) return system;
    }
    return {};
}

void ReadPlugin(DiagnosisFacts& facts) {
    const fs::path file = FindIgnoringCase(facts.folder, kPluginFileName);
    facts.pluginPresent = !file.empty();
    if (!facts.pluginPresent) return;
    std::string bytes;
    if (!ReadWholeFile(file.string(), bytes, facts.pluginProblem)) return;
    facts.plugin = ReadPeFacts(bytes);
    const fs::path windows = WindowsLibraries(facts.folder);
    for (const std::string& name : facts.plugin.imports) {
        ImportPlace place = ImportPlace::kMissing;
        if (!FindIgnoringCase(facts.folder, name).empty()) {
            place = ImportPlace::kBesideGame;
        } else if (windows.empty()) {
            place = ImportPlace::kUnknown;
        } else if (!FindIgnoringCase(windows, name).empty()) {
            place = ImportPlace::kWindows;
        }
        facts.imports.push_back({name, place});
    }
}

void ReadSettingsBeside(DiagnosisFacts& facts) {
    const fs::path file = FindIgnoringCase(facts.folder, kSettingsFileName);
    facts.settingsPresent = !file.empty();
    if (!facts.settingsPresent) return;
    std::string bytes;
    if (ReadWholeFile(file.string(), bytes, facts.settingsProblem))
        facts.settings = CheckSettings(ReadDocument(std::move(bytes)));
}

void FindGame(DiagnosisFacts& facts, const DiagnosisTarget& target,
              const std::vector<std::string>& ours) {
    facts.gameNamed = target.game.pid != 0 || !target.game.process.empty();
    if (facts.gameNamed) {
        // The scan finds a game named by its file as `scan --process` does.
        GameScan named = ScanGame(target.game, "", false, nullptr);
        facts.scanned = true;
        facts.pid = named.pid;
        facts.scan = std::move(named);
        return;
    }
    for (const platform::RunningProgram& program : platform::ProgramsInFolder(facts.folder)) {
        const bool isOurs = std::any_of(ours.begin(), ours.end(), [&](const std::string& name) {
            return program.file.size() == name.size() && ContainsIgnoringCase(program.file, name);
        });
        if (!isOurs) facts.games.push_back(program);
    }
    if (facts.games.size() == 1) facts.pid = facts.games[0].pid;
}

} // namespace

Diagnosis Diagnose(const DiagnosisTarget& target, const std::string& ourVersion,
                   const std::vector<std::string>& ours) {
    DiagnosisFacts facts;
    facts.ourVersion = ourVersion;
    facts.folder = FullPath(target.folder.empty() ? "." : target.folder);
    while (facts.folder.size() > 1 && (facts.folder.back() == '/' || facts.folder.back() == '\\'))
        facts.folder.pop_back();
    std::error_code error;
    facts.folderIsReadable = fs::is_directory(facts.folder, error);
    if (facts.folderIsReadable) {
        ReadPlugin(facts);
        ReadSettingsBeside(facts);
    }
    FindGame(facts, target, ours);
    if (facts.pid != 0) {
        facts.modulesListed = platform::LoadedModules(facts.pid, facts.modules);
        const bool loaded =
            std::any_of(facts.modules.begin(), facts.modules.end(), [](const std::string& module) {
                return module.size() == sizeof kPluginFileName - 1 &&
                       ContainsIgnoringCase(module, kPluginFileName);
            });
        if (loaded && !facts.gameNamed) {
            facts.scan = ScanGame(ProcessToScan{facts.pid, ""}, "", false, nullptr);
            facts.scanned = true;
        }
    }
    facts.windowsHere = !platform::SystemLibraryFolder().empty();
    facts.underWine = platform::RunsUnderWine();
    if (const char* prefix = std::getenv("WINEPREFIX"); facts.underWine && prefix != nullptr)
        facts.winePrefix = prefix;
    return Judge(std::move(facts));
}
