// A reader that has gone, on Windows: writing into a pipe whose reading end is closed fails
// with "the pipe is being closed" or "the pipe has been ended", which the C runtime may or
// may not turn into EPIPE.
#include "platform/process_memory.h"

#include <cerrno>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace platform {

bool OutputReaderGone() {
    const DWORD error = ::GetLastError();
    const int runtimeError = errno;
    return ::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE &&
           (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || runtimeError == EPIPE);
}

} // namespace platform
