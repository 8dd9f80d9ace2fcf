#include "stop_signals.h"

#include <cstddef>

namespace panel_host {

namespace {

constexpr std::size_t caughtCount = 4;
constexpr int caughtSignals[caughtCount] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile std::sig_atomic_t firstCaught = 0;
struct sigaction previous[caughtCount];

void onStopSignal(int signal)
{
    if (firstCaught == 0) {
        firstCaught = signal;
    }
}

}  // namespace

stopSignals::stopSignals()
{
    firstCaught = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < caughtCount; ++i) {
        sigaction(caughtSignals[i], &action, &previous[i]);
    }
}

stopSignals::~stopSignals()
{
    for (std::size_t i = 0; i < caughtCount; ++i) {
        sigaction(caughtSignals[i], &previous[i], nullptr);
    }
}

int stopSignals::caught() const
{
    return firstCaught;
}

}  // namespace panel_host
