#pragma once
// The generator's input: plain-text tables of the items the default settings file lists,
// written so that a person holding the game's metadata can fill in the missing values.

#include "settings/swap_pairs.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

// A mistake in the input, already naming the file and line it was found on.
struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One indented line of a block: a field name and its values, in the order written.
struct Field {
    std::string name;
    std::vector<std::string> values;
    std::string where; // "file:line", for messages
};

// One entry: the unindented line holding its name (and hash), then its fields.
struct Entry {
    std::string name;
    std::string hash; // as written, "0x" and eight digits; empty in the list of shakes
    std::vector<Field> fields;
    std::string where;
};

// Reads a table file: "#" lines and blank lines are skipped, an unindented line opens an
// entry ("name" or "name hash"), an indented line adds a field to the open entry.
// Throws InputError when the file does not open or a line does not fit that shape.
std::vector<Entry> ReadTable(const std::string& path);

// One table for each pair's dictionary section, in SwapPairs' order.
using Tables = std::array<std::vector<Entry>, kPairCount>;
// Reads the table file `files[i]` of `folder` as the table of pair i.
Tables ReadTables(const std::string& folder, const std::array<std::string_view, kPairCount>& files);
