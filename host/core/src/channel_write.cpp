// Writing a whole message to a child's channel, on either platform's writes.
#include "child_process.h"

#include "input_wait.h"

#include <cerrno>

namespace panel_host {

bool writeAll(int fd, const std::string& data)
{
    for (std::size_t done = 0; done < data.size();) {
        const long count = writeOutput(fd, data.data() + done, data.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace panel_host
