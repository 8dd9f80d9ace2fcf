#pragma once

#include <cstddef>
#include <initializer_list>

namespace panel_host {

// Reading and writing descriptors, and waiting for input on them: the
// platform seam of the line reader and of child processes' channels.
//   input_wait_posix.cpp    poll(); a socket is written without SIGPIPE;
//   input_wait_windows.cpp  a pipe is looked at (PeekNamedPipe) every few
//                           milliseconds until it has input or its end;
//                           anything else counts as readable at once.

// Waits at most timeoutMs (< 0: without limit) until one of `fds` (-1 ones
// are left out) has input to read, or has reached its end. False on a
// timeout, and when a signal came.
bool waitForInput(std::initializer_list<int> fds, int timeoutMs);

// Reads what `fd` has, at most `size` bytes: the count, 0 at its end, -1 on
// an error (errno says which; EINTR: a signal came first).
long readInput(int fd, char* buffer, std::size_t size);

// Writes what `fd` takes of `size` bytes: the count, -1 on an error (errno
// says which; EINTR: a signal came first). Writing to a pipe or socket
// whose reader is gone is an error, never the end of the process.
long writeOutput(int fd, const char* data, std::size_t size);

}  // namespace panel_host
