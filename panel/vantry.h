#pragma once

#include "morv_script_helper.h"
#include "panel_settings.h"

#include <stdint.h>

// The routing panel: a source list and a destination list of one audio
// router, labels that show the chosen source, the chosen destination and the
// source now routed there, a flashing "Take" that routes, and "Clear".
//
// Created by load_morv_client_script; the constructor already loads the
// layout, disables "Take" and finds the router, sending commands to the host.
// All handlers run on the host's thread, one at a time. Owns no heap data
// (its texts are short enough to be kept inside their strings).
class vantry : public morv_script_helper {
public:
    // host may be null (the panel then sends nothing); path is the layout
    // folder handed to the framework.
    vantry(script_host* host, const char* path);
    // Sends nothing of its own; the framework then sends "AS".
    ~vantry() override;

    vantry(const vantry&) = delete;
    vantry& operator=(const vantry&) = delete;

    // A list choice or a press of "Take" or "Clear" on panel 1.
    void onButton(const buttonNotify& button) override;
    // Keeps the router's tallies; refreshes "Old" for the chosen destination.
    // Always 0.
    int32_t onTally(const tallyNotify& tally) override;
    // The panel declares no return values, events or commands: always empty.
    morv_string onQuery(const queryNotify& query) override;
    // Timer 1 flashes "Take"; any other timer is stopped.
    void onTimer(int32_t timerId) override;

    // Arms "Take" (enable, restart the flash) when a source and a destination
    // are both chosen, disarms it otherwise.
    void updateTake();

private:
    void chooseSource(int32_t source);
    void chooseDestination(int32_t destination);
    // Puts number into numberLabel and the router's name of it (a source or
    // a destination, by nameKind) into nameLabel.
    void showNumberAndName(int32_t number, int32_t nameKind, const char* numberLabel, const char* nameLabel);
    // "-" into numberLabel, "---" into nameLabel.
    void showNothing(const char* numberLabel, const char* nameLabel);
    void pressTake();
    void pressClear();
    // Clears both lists, the choice and every label; the tally table stays.
    void resetSelection();
    // When "Take" is enabled: "QF_TakeHigh" and disable it.
    void withdrawTake();
    void stopFlash();
    void putTakeHigh();
    // Whether the command just made reached the host: false once the
    // operation under way failed, as it and every later command of the
    // notification are then held back. takeEnabled and flashRunning change
    // only with a command the host received, so they tell what it saw.
    bool wasSent() const;
    static bool isTallyIndex(int32_t index);

    // The panel's number as text, made once from the number when the panel
    // is created (every panel command names it).
    const morv_string& panel() const { return panelText; }
    // A number as plain decimal text.
    static morv_string decimal(int32_t value);

    const morv_string panelText;
    int32_t routerDevice;  // 0: no router found
    int32_t selectedSource;
    int32_t selectedDestination;
    int32_t flashCount;
    // Entry d: the source the router last reported on destination d.
    int32_t tally[panelSettings::tallyTableSize];
    bool sourceChosen;
    bool destinationChosen;
    bool takeEnabled;
    bool flashRunning;
};
