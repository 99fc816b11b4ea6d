// The command's console on Windows: a console window opened for a double-clicked program
// closes with it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/terminal.h"
#include "platform/wine.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace platform {

bool OutputIsTerminal() {
    // Asked of a character device only: under Wine, asking a pipe for its console mode
    // hides from the runtime that the pipe's reader has gone.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return ::GetFileType(output) == FILE_TYPE_CHAR && ::GetConsoleMode(output, &mode) != 0;
}

bool ErrorIsTerminal() {
    return ::_isatty(2) != 0;
}

void WriteOutputAsBytes() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

bool AloneInConsole() {
    // Wine gives a program started from a Unix terminal a console of its own, which stays.
    DWORD processes[2];
    return !RunsUnderWine() && ::GetConsoleProcessList(processes, 2) == 1;
}

} // namespace platform
