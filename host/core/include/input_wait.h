#pragma once

#include <cstddef>
#include <initializer_list>

namespace panel_host {

// Waiting for input on descriptors: the platform seam of the line reader and
// of the watchers of child processes.
//   input_wait_posix.cpp    poll();
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

}  // namespace panel_host
