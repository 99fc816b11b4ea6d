#include "cli/ostrevane.h"

#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Bytes out as they are: `default` chooses its own line endings, and a text-mode
    // stdout would turn its CR LF into CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return RunOstrevane(argc, argv, std::cout, std::cerr);
}
