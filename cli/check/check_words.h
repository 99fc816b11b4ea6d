#pragma once
// check's findings in the command's words: one line each, names as their raw bytes, each with
// what to do about it.

#include "check/check.h"

#include <string>

// The finding as one line, without its line number.
std::string FindingWords(const CheckWarning& warning);

// "line 4: ..." or, for the file as a whole, "file: ...".
std::string NumberedFindingWords(const CheckWarning& warning);
