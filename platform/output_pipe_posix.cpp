// A reader that has gone, off Windows: the write failed with EPIPE, which it does only
// where SIGPIPE is ignored (elsewhere the signal ends the command quietly before this).
#include "platform/output_pipe.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

bool OutputReaderGone() {
    const int error = errno;
    struct stat info;
    return error == EPIPE && fstat(1, &info) == 0 &&
           (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

} // namespace platform
