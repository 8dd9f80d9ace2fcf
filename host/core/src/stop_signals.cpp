#include "stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace panel_host {

namespace {

constexpr std::size_t mostSignals = 8;

volatile std::sig_atomic_t firstCaught = 0;
// Written by the handler, so that a wait wakes in whichever thread it runs.
int wakeFds[2] = {-1, -1};

int caughtSignals[mostSignals];
struct sigaction previous[mostSignals];
std::size_t caughtCount = 0;

void onStopSignal(int signal)
{
    if (firstCaught == 0) {
        firstCaught = signal;
    }
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(wakeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

stopSignals::stopSignals(std::initializer_list<int> signals)
{
    firstCaught = 0;
    if (wakeFds[0] < 0 && ::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        wakeFds[0] = wakeFds[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    caughtCount = 0;
    for (const int signal : signals) {
        if (caughtCount < mostSignals) {
            caughtSignals[caughtCount] = signal;
            sigaction(signal, &action, &previous[caughtCount++]);
        }
    }
}

stopSignals::~stopSignals()
{
    for (std::size_t i = 0; i < caughtCount; ++i) {
        sigaction(caughtSignals[i], &previous[i], nullptr);
    }
    caughtCount = 0;
    char drained[64];
    while (wakeFds[0] >= 0 && ::read(wakeFds[0], drained, sizeof drained) > 0) {
    }
}

int stopSignals::caught() const
{
    return firstCaught;
}

int stopSignals::next(std::chrono::milliseconds wait) const
{
    if (wakeFds[0] < 0) {
        return 0;
    }
    pollfd wake{wakeFds[0], POLLIN, 0};
    unsigned char signal = 0;
    if (::poll(&wake, 1, static_cast<int>(wait.count())) > 0 && ::read(wakeFds[0], &signal, 1) == 1) {
        return signal;
    }
    return 0;
}

}  // namespace panel_host
