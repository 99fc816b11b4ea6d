// The command's terminal off Windows, which no program closes when it ends.
#include "platform/terminal.h"

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

} // namespace platform
