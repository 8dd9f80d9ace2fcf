#include "input_wait.h"

#include <poll.h>
#include <unistd.h>

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

}  // namespace panel_host
