// A reader that has gone, on Windows: a write into a pipe whose reading end is closed fails
// with "the pipe is being closed", "has been ended" or "is not connected" (the last under
// Wine), which the C runtime turns into EPIPE or, having no better code, EINVAL, and may
// clear from the last error by the time the stream reports it. A pipe has no disk to fill.
#include "platform/output_pipe.h"

#include <cerrno>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace platform {

bool OutputReaderGone() {
    const DWORD error = ::GetLastError();
    const int runtimeError = errno;
    return ::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE &&
           (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ||
            error == ERROR_PIPE_NOT_CONNECTED || runtimeError == EPIPE || runtimeError == EINVAL);
}

} // namespace platform
