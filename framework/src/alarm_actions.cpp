// Alarm filter and alarm actions of morv_script_helper.
#include "morv_script_helper.h"

namespace {
constexpr int acknowledge = 4;
constexpr int alarmOnly = -1;

// Values an acknowledgement leaves as they are.
bool keepsValueOnAcknowledge(int value)
{
    return value == 0 || value == 2 || value == 3 || value == 4 || value == 5;
}

int alarmCode(const morv_string& state)
{
    if (state == "ack") {
        return acknowledge;
    }
    return state.length() == 1 ? state.toInt() : alarmOnly;
}
}  // namespace

bool morv_script_helper::filterAlarmButton(const buttonNotify& button)
{
    const morv_string control = button.control();
    if (control == "ActionAll" && button.eventName() == "alarm") {
        alarmAction(button.eventValue());
        return true;
    }
    if (control == "AckAll") {
        alarmAction("4");
        return true;
    }
    return false;
}

void morv_script_helper::alarmAction(const morv_string& state)
{
    const int code = alarmCode(state);
    const morv_string panel(1, '\0', 0, 10);
    const morv_stringlist controls = controlList(panel, "alm_");
    for (auto it = controls.begin(); it != controls.end(); ++it) {
        const morv_string& control = *it;
        textPut("alarm", state, panel, control);
        if (code == acknowledge) {
            morv_string current;
            textGet("value", panel, control, current);
            if (!keepsValueOnAcknowledge(current.toInt())) {
                textPut("value", "4", panel, control);
            }
        } else if (code != alarmOnly) {
            textPut("value", morv_string(code, '\0', 0, 10), panel, control);
        }
    }
}
