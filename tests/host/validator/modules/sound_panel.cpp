#include "sound_panel.h"

namespace {

const morv_string panel("1");

}  // namespace

soundPanel::soundPanel(script_host* hostObject, const char* path) : morv_script_helper(hostObject, path)
{
    panelShow(panel, "p1.morv_ui", "");
    controlDisable(panel, "Take");
    deviceLookup("B4 Audio Router", &device, nullptr);
    if (device != 0) {
        routerRegister(device, 1, 64, false);
    }
}

void soundPanel::onButton(const buttonNotify& button)
{
    if (!(button.panel() == 1)) {
        return;
    }
    const morv_string control = button.control();
    if (control == "Sources" || control == "Destinations") {
        const int value = button.eventValue().toInt();
        textPut("text", morv_string(value), panel, "New");
        morv_string name;
        routerName(device, 0, value, name);
        textPut("text", name, panel, "NewSrcName");
        controlEnable(panel, "Take");
        ticks = 0;
        timerStart(1, 1000);
    } else if (control == "Take") {
        routerCrosspoint(device, 1, 2, "", false);
        timerStop(1);
        controlDisable(panel, "Take");
    } else if (control == "Clear") {
        morv_string shown;
        textGet("text", panel, "New", shown);
        textPut("text=-", panel, "New");
    }
    if (host != nullptr) {
        afterButton(*host);
    }
}

std::int32_t soundPanel::onTally(const tallyNotify&)
{
    return 0;
}

morv_string soundPanel::onQuery(const queryNotify& query)
{
    return query.name();
}

void soundPanel::onTimer(std::int32_t timerId)
{
    if (timerId != 1) {
        timerStop(timerId);
        return;
    }
    textPut("statesheet", ticks % 2 == 0 ? "QF_TakeLow" : "QF_TakeHigh", panel, "Take");
    if (++ticks >= 3) {
        timerStop(1);
    }
}
