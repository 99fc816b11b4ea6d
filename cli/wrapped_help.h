#pragma once
// Help that a terminal of 80 columns shows without breaking a word.

#include <cstddef>
#include <string>
#include <string_view>

// `help` with every line longer than `width` wrapped at its blanks. A line of a table (a name,
// two or more blanks, a description) continues under its description; any other line under
// its own indent. A word longer than a line stands alone on one, and so does a `quoted
// command`, never split.
std::string WrappedHelp(std::string_view help, size_t width = 80);
