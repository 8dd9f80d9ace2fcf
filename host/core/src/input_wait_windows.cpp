#include "input_wait.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

namespace panel_host {

namespace {

// How long a look at the pipes waits before the next.
constexpr DWORD lookInterval = 2;

// Whether `fd` has input or its end now. Pipes say; a file or device is
// read at once (a read of it blocks no longer than the file system does).
bool readyNow(int fd)
{
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) {
        return true;  // the read reports the error
    }
    if (GetFileType(handle) != FILE_TYPE_PIPE) {
        return true;
    }
    DWORD available = 0;
    // Failing means the other end is gone: the read then sees the end.
    return PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) == 0 || available > 0;
}

}  // namespace

bool waitForInput(std::initializer_list<int> fds, int timeoutMs)
{
    const ULONGLONG until = timeoutMs < 0 ? ULLONG_MAX : GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        for (const int fd : fds) {
            if (fd >= 0 && readyNow(fd)) {
                return true;
            }
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= until) {
            return false;
        }
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(until - now, lookInterval)));
    }
}

long readInput(int fd, char* buffer, std::size_t size)
{
    return ::_read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

long writeOutput(int fd, const char* data, std::size_t size)
{
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

}  // namespace panel_host
