#pragma once
// How the command reads its settings file and prints its reports: the lines a player reads
// when a file cannot be read, the warnings block and the lists of its JSON objects.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

struct FileProblem;

// Reads the settings file at `path` whole. On failure says why on `err` after `context`
// (such as "ostrevane check: ") and what to do next: `missingHint`, when given, or how to
// get a default file when there is none; then returns false.
bool ReadSettingsFile(const std::string& context, const std::string& path, std::string& bytes,
                      std::ostream& err, std::string_view missingHint = {});

// What ReadSettingsFile says after its context when the file at `path` could not be read:
// the path, why, and on further lines what to do next.
std::string SettingsFileProblemText(const std::string& path, const FileProblem& problem,
                                    std::string_view missingHint = {});

// Why a file could not be read or written, with the command's next step where it has one.
std::string FileProblemWords(const FileProblem& problem);

// "No warnings." or "N warnings:" and each warning on an indented line, its bytes made
// printable.
void PrintWarnings(const std::vector<std::string>& warnings, std::ostream& out);

// A member of a report's top-level JSON object holding a list: `"name": [`, then each of
// the `count` elements that `element(i)` prints on a line of its own, then `]`, with no
// comma after it. An empty list stays on one line. `brackets` is "[]", or "{}" for an
// object whose members `element` prints.
void PrintJsonList(std::ostream& out, std::string_view name, size_t count,
                   const std::function<void(size_t)>& element, std::string_view brackets = "[]");
