#pragma once
// The ostrevane command's terminal or console window, and its standard streams.

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

} // namespace platform
