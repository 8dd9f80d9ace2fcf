#include "input_wait.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <vector>

namespace panel_host {

bool waitForInput(std::initializer_list<int> fds, int timeoutMs)
{
    std::vector<pollfd> polled;
    for (const int fd : fds) {
        if (fd >= 0) {
            polled.push_back({fd, POLLIN, 0});
        }
    }
    return ::poll(polled.data(), polled.size(), timeoutMs) > 0;
}

long readInput(int fd, char* buffer, std::size_t size)
{
    return static_cast<long>(::read(fd, buffer, size));
}

long writeOutput(int fd, const char* data, std::size_t size)
{
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    return static_cast<long>(sent < 0 && errno == ENOTSOCK ? ::write(fd, data, size) : sent);
}

}  // namespace panel_host
