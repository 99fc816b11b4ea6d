#pragma once
// The ostrevane command: tells a player, before the game starts, what the plug-in will read
// from a settings file; writes the default file; hashes names; runs the swap over a file;
// counts what the toggle key would rewrite in a running game.

#include <iosfwd>

// Runs one command line (argv[0] is the program's name), printing to `out` and `err`.
// Returns the exit status: 0 done, 1 check or scan found warnings, 2 anything failed. Never
// throws.
int RunOstrevane(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
