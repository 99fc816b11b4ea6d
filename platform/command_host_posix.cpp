// The command's host off Windows: text mode leaves line ends alone, and no terminal closes
// when a program in it ends.
#include "platform/command_host.h"

#include <unistd.h>

namespace platform {

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
