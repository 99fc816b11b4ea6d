#include "cli/ostrevane.h"
#include "cli/wrapped_output.h"
#include "platform/terminal.h"

#include <iostream>
#include <optional>

int main(int argc, char** argv) {
    // Bytes out as they are: `default` chooses its own line endings, and a text-mode
    // stdout would turn its CR LF into CR CR LF.
    platform::WriteOutputAsBytes();
    // On a terminal, messages wrap at its 80 columns; into a file or a pipe they stay whole.
    // JSON is data, never wrapped; what goes to the error stream is always a message.
    std::streambuf* const terminalOut = std::cout.rdbuf();
    std::streambuf* const terminalErr = std::cerr.rdbuf();
    std::optional<WrappingBuffer> out, err;
    if (PrintsMessages(argc, argv) && platform::OutputIsTerminal())
        std::cout.rdbuf(&out.emplace(terminalOut));
    if (platform::ErrorIsTerminal()) {
        std::cerr.rdbuf(&err.emplace(terminalErr));
        // A flush after every insertion would pass each message on in pieces, too short
        // to wrap; the buffer passes each line as it ends, and a progress line at its CR.
        std::cerr.unsetf(std::ios_base::unitbuf);
    }
    const int status = RunOstrevane(argc, argv, std::cout, std::cerr);
    // Double-clicked, the command's window would close before anyone read a word of it.
    if (platform::AloneInConsole()) {
        std::cerr << "\nostrevane is a command: open a command prompt in the game's folder and "
                     "type ostrevane --help.\nTo choose the items and check the settings without "
                     "one, double-click OstrevaneSettings.exe.\nPress Enter to close this "
                     "window.\n";
        std::cin.get();
    }
    // The wrapping buffers end with main; the streams outlive it.
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(terminalOut);
    std::cerr.rdbuf(terminalErr);
    return status;
}
