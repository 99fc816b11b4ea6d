#pragma once
// What the ostrevane command asks of the system it runs on, beyond the plug-in's seam.

namespace platform {

// True when standard output is a terminal or a console window, not a file or a pipe.
bool OutputIsTerminal();
// True when standard error is a terminal or a console window, not a file or a pipe.
bool ErrorIsTerminal();
// Makes standard output pass bytes as they are, turning no LF into CR LF; before any output.
void WriteOutputAsBytes();

// True when no other program shares this one's console, which then closes as it exits: it
// was started by a double click. Never off Windows, nor under Wine.
bool AloneInConsole();

// True under Wine or Proton, where a program sees only those of its own Wine prefix.
bool RunsUnderWine();

} // namespace platform
