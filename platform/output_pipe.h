#pragma once

namespace platform {

// True when the write to standard output that just failed went to a pipe, or a socket,
// whose reader had closed it, as `more` does when the player quits it.
bool OutputReaderGone();

} // namespace platform
