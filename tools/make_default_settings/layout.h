#pragma once
// Lays out the default settings file, line by line, from the generator's tables.

#include "tables.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The file's lines, without line feeds, from the tables in `dataFolder`. Throws InputError
// naming the entry when the tables do not fit the file's fixed layout: names, order, hashes,
// columns, line lengths.
std::vector<std::string> DefaultFileLines(const std::string& dataFolder);
