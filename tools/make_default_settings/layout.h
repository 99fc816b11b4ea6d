#pragma once
// Lays out the default settings file, line by line, from the generator's tables.

#include "tables.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The file's 254 lines, without line feeds. Throws InputError naming the entry when the
// tables do not fit the file's fixed layout: names, order, hashes, columns, line lengths.
std::vector<std::string> DefaultSettingsText(const Tables& tables);

// The Jenkins one-at-a-time hash of the name's bytes: the game's hash of a readable name.
uint32_t OneAtATimeHash(std::string_view name);
