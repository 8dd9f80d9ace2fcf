#pragma once

// A small panel that keeps the host-boundary contract, and the base of the
// test modules that each break it in exactly one way (one file each). It
// shows the layout, finds the router, answers lists, "Take" and "Clear",
// flashes "Take" for three ticks of timer 1 and answers every named query
// with its name, so that every part of the contract is used.
#include "morv_script_helper.h"

#include <cstdint>

#if defined(_WIN32)
#define SOUND_PANEL_EXPORT __declspec(dllexport)
#else
#define SOUND_PANEL_EXPORT __attribute__((visibility("default")))
#endif

class soundPanel : public morv_script_helper {
public:
    soundPanel(script_host* host, const char* path);

    void onButton(const buttonNotify& button) override;
    std::int32_t onTally(const tallyNotify& tally) override;
    morv_string onQuery(const queryNotify& query) override;
    void onTimer(std::int32_t timerId) override;

protected:
    // Called at the end of every button event when a host is set: where a
    // broken module adds its one wrong step.
    virtual void afterButton(script_host& hostObject) { (void)hostObject; }

    std::int32_t device = 0;
    int ticks = 0;
};

// The module's entry point, creating a `panelClass`.
#define SOUND_PANEL_ENTRY(panelClass)                                                                                \
    extern "C" SOUND_PANEL_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* path) \
    {                                                                                                                \
        return new panelClass(host, path);                                                                           \
    }
