#pragma once
// What the loaded plug-in decided about its engines, read from its own variables through the
// symbol table of its file: the benchmark learns the choice without adding to the game's path.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct PluginEngineChoice {
    bool found = false;
    std::string why; // when not found: the symbol or file that was missing
    std::string chosen;
    struct Trials {
        std::string name;
        std::vector<uint64_t> nanos; // one per round
    };
    std::vector<Trials> engines; // widest first
};

// Reads the choice of the plug-in loaded at `module` from `file`, its file on disk; `found` is
// false when the file carries no symbols or the plug-in has not chosen yet.
PluginEngineChoice ReadPluginEngineChoice(const void* module, const std::filesystem::path& file);
