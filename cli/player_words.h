#pragma once
// The command line's help and its slips in a player's words, never the option parser's own
// ("[Option Group: game]", "Excludes:", "Requires at most 1 options be given from").

#include <memory>
#include <string>

namespace CLI {
class FormatterBase;
class ParseError;
} // namespace CLI

// The help's layout for every command: each option with what it does, which options go
// together said in words, a group of options as a heading saying how many to give.
std::shared_ptr<CLI::FormatterBase> PlayerHelpFormat();

// What went wrong on the command line, in words a player reads: "give --pid or --process,
// not both" for the parser's "Requires at most 1 options be given from [--pid,--process]".
std::string ParseErrorWords(const CLI::ParseError& error);
