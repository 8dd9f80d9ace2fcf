// The operator's side of the routing panel: list choices, "Take", "Clear"
// and the confirmation flash of "Take".
#include "vantry.h"

#include <stdint.h>

using namespace panelSettings;

void vantry::onButton(const buttonNotify& button)
{
    if (!(button.panel() == panelNumber)) {
        return;
    }
    const morv_string name = button.control();
    if (name == control::sources) {
        chooseSource(button.eventValue().toInt());
    } else if (name == control::destinations) {
        chooseDestination(button.eventValue().toInt());
    } else if (name == control::take) {
        pressTake();
    } else if (name == control::clear) {
        pressClear();
    }
}

void vantry::chooseSource(int32_t source)
{
    selectedSource = source;
    if (source == noSelection) {
        showNothing(control::newNumber, control::newName);
        sourceChosen = false;
    } else {
        showNumberAndName(source, sourceNameKind, control::newNumber, control::newName);
        sourceChosen = true;
    }
    updateTake();
}

void vantry::chooseDestination(int32_t destination)
{
    selectedDestination = destination;
    if (destination == noSelection) {
        showNothing(control::destinationNumber, control::destinationName);
        showNothing(control::oldNumber, control::oldName);
        destinationChosen = false;
    } else {
        showNumberAndName(destination, destinationNameKind, control::destinationNumber, control::destinationName);
        if (isTallyIndex(destination)) {
            showNumberAndName(tally[destination], sourceNameKind, control::oldNumber, control::oldName);
        } else {
            // No tally is kept for this destination: nothing is known of it.
            showNothing(control::oldNumber, control::oldName);
        }
        destinationChosen = true;
    }
    updateTake();
}

void vantry::showNumberAndName(int32_t number, int32_t nameKind, const char* numberLabel, const char* nameLabel)
{
    textPut(property::text, decimal(number), panel(), numberLabel);
    // Stays empty when the host knows no name.
    morv_string name;
    routerName(routerDevice, nameKind, number, name);
    textPut(property::text, name, panel(), nameLabel);
}

void vantry::showNothing(const char* numberLabel, const char* nameLabel)
{
    textPut(property::noNumber, panel(), numberLabel);
    textPut(property::noName, panel(), nameLabel);
}

void vantry::pressTake()
{
    putTakeHigh();
    controlDisable(panel(), control::take);
    if (wasSent()) {
        takeEnabled = false;
    }
    if (flashRunning) {
        stopFlash();
    }
    // Numbers below 1 name no source or destination: nothing to route.
    if (selectedSource < 1 || selectedDestination < 1) {
        return;
    }
    routerCrosspoint(routerDevice, selectedSource, selectedDestination, "", false);
    resetSelection();
}

void vantry::pressClear()
{
    withdrawTake();
    if (flashRunning) {
        stopFlash();
    }
    resetSelection();
}

void vantry::resetSelection()
{
    sourceChosen = false;
    destinationChosen = false;
    selectedSource = 0;
    selectedDestination = 0;
    textPut(property::noSelection, panel(), control::sources);
    textPut(property::noSelection, panel(), control::destinations);
    textPut(property::noNumber, panel(), control::oldNumber);
    textPut(property::noNumber, panel(), control::newNumber);
    textPut(property::noNumber, panel(), control::destinationNumber);
    textPut(property::noName, panel(), control::oldName);
    textPut(property::noName, panel(), control::newName);
    textPut(property::noName, panel(), control::destinationName);
}

void vantry::updateTake()
{
    if (sourceChosen && destinationChosen) {
        if (takeEnabled && flashRunning) {
            stopFlash();
            putTakeHigh();
        }
        flashCount = flashTicks;
        controlEnable(panel(), control::take);
        if (wasSent()) {
            takeEnabled = true;
        }
        timerStart(flashTimer, flashInterval);
        if (wasSent()) {
            flashRunning = true;
        }
        return;
    }
    withdrawTake();
    if (flashRunning) {
        stopFlash();
        putTakeHigh();
    }
}

void vantry::onTimer(int32_t timerId)
{
    if (timerId != flashTimer) {
        timerStop(timerId);
        return;
    }
    // Counts down whether or not a flash runs; wraps instead of overflowing
    // after an absurd number of stray ticks.
    flashCount = static_cast<int32_t>(static_cast<uint32_t>(flashCount) - 1u);
    const bool odd = flashCount % 2 != 0;
    textPut(property::stateSheet, odd ? takeLow : takeHigh, panel(), control::take);
    if (flashCount == 0) {
        stopFlash();
        controlDisable(panel(), control::take);
        if (wasSent()) {
            takeEnabled = false;
        }
    }
}

void vantry::withdrawTake()
{
    if (takeEnabled) {
        putTakeHigh();
        controlDisable(panel(), control::take);
        if (wasSent()) {
            takeEnabled = false;
        }
    }
}

void vantry::stopFlash()
{
    timerStop(flashTimer);
    if (wasSent()) {
        flashRunning = false;
    }
}

bool vantry::wasSent() const
{
    return !operationFailed();
}

void vantry::putTakeHigh()
{
    textPut(property::stateSheet, takeHigh, panel(), control::take);
}
