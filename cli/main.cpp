#include "cli/ostrevane.h"
#include "platform/terminal.h"

#include <iostream>

int main(int argc, char** argv) {
    // Bytes out as they are: `default` chooses its own line endings, and a text-mode
    // stdout would turn its CR LF into CR CR LF.
    platform::WriteOutputAsBytes();
    const int status = RunOstrevane(argc, argv, std::cout, std::cerr);
    // Double-clicked, the command's window would close before anyone read a word of it.
    if (platform::AloneInConsole()) {
        std::cerr << "\nostrevane is a command: open a command prompt in the game's folder and "
                     "type ostrevane --help.\nTo choose the items and check the settings without "
                     "one, double-click OstrevaneSettings.exe.\nPress Enter to close this "
                     "window.\n";
        std::cin.get();
    }
    return status;
}
