#include "stop_signals.h"

#include <windows.h>

namespace panel_host {

namespace {

// The exit code of a console program ended by Ctrl-C (STATUS_CONTROL_C_EXIT).
constexpr DWORD endedByInterrupt = 0xC000013A;

volatile LONG firstCaught = 0;

// Called on a thread of its own for each control event; TRUE: handled here.
BOOL WINAPI onControlEvent(DWORD event)
{
    const LONG signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    InterlockedCompareExchange(&firstCaught, signal, 0);
    return TRUE;
}

// Takes Ctrl-C and Ctrl-Break and does nothing with them.
BOOL WINAPI swallowInterrupt(DWORD event)
{
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

stopSignals::stopSignals()
{
    InterlockedExchange(&firstCaught, 0);
    SetConsoleCtrlHandler(onControlEvent, TRUE);
}

stopSignals::~stopSignals()
{
    SetConsoleCtrlHandler(onControlEvent, FALSE);
}

int stopSignals::caught() const
{
    return static_cast<int>(InterlockedCompareExchange(&firstCaught, 0, 0));
}

void ignoreInterrupt()
{
    SetConsoleCtrlHandler(swallowInterrupt, TRUE);
}

void ignoreStopSignals()
{
    SetConsoleCtrlHandler(swallowInterrupt, TRUE);
}

void ignoreBrokenPipes() {}

int endAsStopped(int)
{
    return interruptedExit();
}

int interruptedExit()
{
    return static_cast<int>(endedByInterrupt);
}

}  // namespace panel_host
