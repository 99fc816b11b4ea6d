#pragma once
// Standard output into a pipe, for the ostrevane command. Bodies: output_pipe_win32.cpp,
// output_pipe_posix.cpp.

namespace platform {

// True when the write to standard output that just failed went to a pipe, or a socket,
// whose reader had closed it, as `more` does when the player quits it.
bool OutputReaderGone();

} // namespace platform
