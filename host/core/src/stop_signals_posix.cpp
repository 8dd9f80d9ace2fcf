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

void ignoreInterrupt()
{
    std::signal(SIGINT, SIG_IGN);
}

void ignoreStopSignals()
{
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
    ignoreBrokenPipes();
}

void ignoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

int endAsStopped(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return 128 + signal;
}

int interruptedExit()
{
    return 128 + SIGINT;
}

}  // namespace panel_host
