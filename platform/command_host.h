#pragma once
// What the ostrevane command asks of the system it runs on, beyond the plug-in's seam:
// replacing a file in one step, its console window and standard streams, and whether Wine
// runs it. One body per system: command_host_win32.cpp and command_host_posix.cpp.

namespace platform {

// Renames the file `from` to `to`, replacing a file already at `to` in one step, so a
// reader of `to` finds the old file or the new one, never a mix. False when refused.
bool RenameReplacing(const char* from, const char* to);

// True when standard output is a terminal or a console window, not a file or a pipe.
bool OutputIsTerminal();
// True when standard error is a terminal or a console window, not a file or a pipe.
bool ErrorIsTerminal();
// Makes standard output pass bytes as they are, turning no LF into CR LF; before any output.
void WriteOutputAsBytes();

// True when a file written in text mode, as the plug-in writes its default file, gets CR LF
// line ends: on Windows.
bool TextModeWritesCrLf();

// True when no other program shares this one's console window, which then closes the
// moment it exits: it was started by a double click, not from a prompt. Never off Windows,
// nor under Wine.
bool AloneInConsole();

// True when Wine (or Proton) runs this program, where one Wine prefix cannot see the
// programs that run in another.
bool RunsUnderWine();

} // namespace platform
