// The command's host off Windows: rename replaces in one step, text mode leaves line ends
// alone, and no terminal closes when a program in it ends.
#include "platform/command_host.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

bool RenameReplacing(const char* from, const char* to) {
    return std::rename(from, to) == 0;
}

bool OutputIsTerminal() {
    return ::isatty(1) == 1;
}

bool ErrorIsTerminal() {
    return ::isatty(2) == 1;
}

void WriteOutputAsBytes() {}

bool AloneInConsole() {
    return false;
}

bool RunsUnderWine() {
    return false;
}

} // namespace platform
